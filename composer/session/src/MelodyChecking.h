#pragma once

#include "quillon/MelodyCheck.h"
#include "quillon/SessionPorts.h"
#include "quillon/TextHistory.h"
#include "quillon/TextMirror.h"

#include <cstddef>
#include <memory>
#include <string>

namespace quillon {

// Reading the melody as C after every change, underlining what is found and explaining it in
// the tooltips. A change near the end is checked as soon as the call that made it ends (an append
// costs microseconds, and its marks are then painted with the text); one further up once the user
// pauses.
class MelodyChecking {
public:
    MelodyChecking(TextHistory& history, TextMirror& mirror, TimerFactory& timers);

    // The text changed: the melody as last read is out of date.
    void changed() { checked_ = false; }
    // A call has ended: check now or after the pause, as the change asks.
    void settle();
    void check();
    // The melody as the text holds it now, checked first where it is out of date.
    const Melody& melody();
    // What the findings at the character at `index` say, one line each; empty over none.
    std::u16string tipAt(std::size_t index) const;

private:
    TextHistory& history_;
    TextMirror& mirror_;
    std::unique_ptr<OneShotTimer> timer_;
    // Reads the text again only from where it changed; holds the melody as last read.
    MelodyCheck checker_;
    // Whether the text is as it was when last read.
    bool checked_ = false;
};

} // namespace quillon
