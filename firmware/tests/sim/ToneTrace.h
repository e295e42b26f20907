#pragma once

#include "SimulatedChip.h"

#include <vector>

namespace quillon::sim {

// One stretch of toggling on the speaker pin, in milliseconds of simulated time.
struct MeasuredSound {
    double onsetMs = 0;     // when the tone started: a half period before its first edge
    double endMs = 0;       // the earliest it can have stopped
    double endLatestMs = 0; // the latest: a stop with the pin low is seen only by what follows
    double hz = 0;
    std::size_t edges = 0;
};

// Splits the edges of a square-wave pin into tones: edges closer than a silence belong to one.
// A tone's first edge comes a half period after it starts; its pitch is taken from the first
// edge to the last but one, as the last may be the stop. When it stops with the pin high the pin
// falls at once, an edge off the toggle pace; when it stops low, the stop lies within the half
// period after the last edge, and only that window is known.
class ToneTrace {
public:
    ToneTrace(const std::vector<Edge>& edges, const SimulatedChip& chip, double fromMs,
              double toMs);

    const std::vector<MeasuredSound>& sounds() const { return sounds_; }

private:
    std::vector<MeasuredSound> sounds_;
};

} // namespace quillon::sim
