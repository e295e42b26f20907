#pragma once

#include "quillon/SessionPorts.h"

class QObject;

namespace quillon {

// The session's timers as Qt timers of the window: they fire on its thread, between events.
class QtTimers final : public TimerFactory {
public:
    explicit QtTimers(QObject& owner) : owner_(owner) {}
    std::unique_ptr<OneShotTimer> makeTimer(std::function<void()> onTimeout) override;

private:
    QObject& owner_;
};

} // namespace quillon
