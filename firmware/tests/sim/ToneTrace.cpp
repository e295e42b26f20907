#include "ToneTrace.h"

#include <algorithm>

namespace quillon::sim {

namespace {

// Longer than the half period of the lowest note (3.8 ms), shorter than the 20 ms gap.
constexpr double silenceMs = 10;

MeasuredSound measure(const std::vector<double>& at) {
    MeasuredSound sound;
    sound.edges = at.size();
    if (at.size() < 3) {
        sound.onsetMs = at.front();
        sound.endMs = at.back();
        return sound;
    }
    std::vector<double> steps;
    for (std::size_t i = 1; i < at.size(); ++i) {
        steps.push_back(at[i] - at[i - 1]);
    }
    std::vector<double> sorted = steps;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2),
                     sorted.end());
    const double typical = sorted[sorted.size() / 2];
    const bool fellAtStop = steps.back() < 0.75 * typical;
    const std::size_t lastToggle = at.size() - (fellAtStop ? 2 : 1);
    const double half = (at[lastToggle] - at.front()) / static_cast<double>(lastToggle);
    sound.hz = 1000.0 / (2.0 * half);
    sound.onsetMs = at.front() - half;
    sound.endMs = fellAtStop ? at.back() : at.back() + half / 2;
    return sound;
}

} // namespace

ToneTrace::ToneTrace(const std::vector<Edge>& edges, const SimulatedChip& chip, double fromMs,
                     double toMs) {
    std::vector<double> tone;
    for (const Edge& edge : edges) {
        const double ms = chip.toMs(edge.cycle);
        if (ms < fromMs || ms > toMs) {
            continue;
        }
        if (!tone.empty() && ms - tone.back() > silenceMs) {
            sounds_.push_back(measure(tone));
            tone.clear();
        }
        tone.push_back(ms);
    }
    if (!tone.empty()) {
        sounds_.push_back(measure(tone));
    }
}

} // namespace quillon::sim
