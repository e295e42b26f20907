#include "ToneTrace.h"

#include <cmath>

namespace quillon::sim {

namespace {

// Longer than the half period of the lowest note (3.8 ms), shorter than the 20 ms gap.
constexpr double silenceMs = 10;

MeasuredSound measure(const std::vector<Edge>& edges, const std::vector<double>& at) {
    MeasuredSound sound;
    sound.edges = at.size();
    if (at.size() < 4) {
        sound.onsetMs = at.front();
        sound.endMs = sound.endLatestMs = at.back();
        return sound;
    }
    const std::size_t lastToggle = at.size() - 2;
    const double half = (at[lastToggle] - at.front()) / static_cast<double>(lastToggle);
    sound.hz = 1000.0 / (2.0 * half);
    sound.onsetMs = at.front() - half;
    const double lastStep = at.back() - at[lastToggle];
    const bool offPace = std::fabs(lastStep - half) > 0.01 * half;
    sound.endMs = at.back();
    sound.endLatestMs = offPace || edges.back().high ? at.back() : at.back() + half;
    return sound;
}

} // namespace

ToneTrace::ToneTrace(const std::vector<Edge>& edges, const SimulatedChip& chip, double fromMs,
                     double toMs) {
    std::vector<double> tone;
    std::vector<Edge> toneEdges;
    for (const Edge& edge : edges) {
        const double ms = chip.toMs(edge.cycle);
        if (ms < fromMs || ms > toMs) {
            continue;
        }
        if (!tone.empty() && ms - tone.back() > silenceMs) {
            sounds_.push_back(measure(toneEdges, tone));
            tone.clear();
            toneEdges.clear();
        }
        tone.push_back(ms);
        toneEdges.push_back(edge);
    }
    if (!tone.empty()) {
        sounds_.push_back(measure(toneEdges, tone));
    }
}

} // namespace quillon::sim
