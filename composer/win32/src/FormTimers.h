#pragma once

#include "quillon/SessionPorts.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

namespace quillon::win32 {

// Timers that tick on the window's own thread, as WM_TIMER messages of the form, which hands
// them here.
class FormTimers final : public TimerFactory {
public:
    explicit FormTimers(HWND owner) : owner_(owner) {}

    std::unique_ptr<OneShotTimer> makeTimer(std::function<void()> onTimeout) override;
    // One that fires every `interval` until it is destroyed (Timer1).
    std::unique_ptr<OneShotTimer> every(int intervalMillis, std::function<void()> onTick);

    // WM_TIMER of the form; false for a timer that is not one of these.
    bool onTimer(UINT_PTR id);

private:
    class Timer;
    friend class Timer;

    HWND owner_;
    UINT_PTR nextId_ = 100;
    std::map<UINT_PTR, Timer*> running_;
};

} // namespace quillon::win32
