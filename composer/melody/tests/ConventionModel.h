#pragma once

// An independent model of the sound convention, written from the README's rules rather than from
// the stream's code: a note of table frequency f toggles every N = floor(500000 / f) µs from its
// start; each element lasts 400, 100, 200, 400, 800, 1200, 1600 or 2000 ms by its duration code
// and starts at floor(T * rate / 1000), T the sum of the lengths before it; a note sounds for
// its length less 20 ms; note indexes 28 to 31 are silent; the melody ends at the first 0.
#include <cstdint>
#include <vector>

namespace quillon::test {

// Half periods in µs of note indexes 0..27, N = floor(500000 / f), copied from the reload table.
inline constexpr std::int64_t kTableN[28] = {
    3816, 3401, 3030, 2857, 2551, 2272, 2024, 1908, 1700, 1515, 1432, 1275, 1136, 1012,
    956,  851,  758,  716,  637,  568,  506,  478,  425,  379,  357,  318,  284,  253};
inline constexpr std::int64_t kLengthMs[8] = {400, 100, 200, 400, 800, 1200, 1600, 2000};
inline constexpr std::int64_t kGapMs = 20;
inline constexpr int kAmplitude = 8231;

// Where each element starts, ends its sound and ends, in frames.
struct ModelElement {
    std::int64_t start;
    std::int64_t soundEnd;
    std::int64_t end;
    std::int64_t halfPeriod; // µs; 0 for a silent element
};

inline std::vector<ModelElement> modelElements(const std::vector<std::uint8_t>& codes, int rate) {
    std::vector<ModelElement> elements;
    std::int64_t t = 0;
    for (std::uint8_t code : codes) {
        if (code == 0) {
            break;
        }
        const std::int64_t length = kLengthMs[code & 7];
        const int index = code >> 3;
        const std::int64_t n = index < 28 ? kTableN[index] : 0;
        elements.push_back({t * rate / 1000, (n != 0 ? t + length - kGapMs : t) * rate / 1000,
                            (t + length) * rate / 1000, n});
        t += length;
    }
    return elements;
}

// The sample at `frame` of an element: the sign of the half period that frame lies in.
inline int modelSample(const ModelElement& e, std::int64_t frame, int rate) {
    if (frame >= e.soundEnd) {
        return 0;
    }
    const std::int64_t micros = (frame - e.start) * 1'000'000;
    return (micros / (static_cast<std::int64_t>(rate) * e.halfPeriod)) % 2 == 0 ? kAmplitude
                                                                                : -kAmplitude;
}

} // namespace quillon::test
