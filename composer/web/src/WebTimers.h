#pragma once

#include "quillon/SessionPorts.h"

#include <emscripten/val.h>

#include <functional>
#include <map>
#include <memory>

namespace quillon {

// The session's one-shot timers as the page's setTimeout: the page calls fired(id) when one
// runs out.
class WebTimers final : public TimerFactory {
public:
    explicit WebTimers(emscripten::val face) : face_(std::move(face)) {}
    std::unique_ptr<OneShotTimer> makeTimer(std::function<void()> onTimeout) override;
    void fired(int id);

private:
    class Timer;
    emscripten::val face_;
    int next_ = 1;
    std::map<int, Timer*> timers_;
};

} // namespace quillon
