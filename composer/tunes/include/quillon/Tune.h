#pragma once

#include "quillon/ImportReport.h"

#include <vector>

namespace quillon {

// One note or rest of a tune as a reader found it, before it becomes music codes.
struct TuneElement {
    static constexpr int kRest = -1;

    // MIDI note number (60 = C4, 69 = A4 at 440 Hz), or kRest.
    int pitch = kRest;
    // Length in milliseconds, more than 0.
    double ms = 0;

    bool isRest() const { return pitch == kRest; }
    friend bool operator==(const TuneElement&, const TuneElement&) = default;
};

// A tune as one voice, in order, and what reading it had to leave out.
struct Tune {
    std::vector<TuneElement> elements;
    ImportReport report;
};

} // namespace quillon
