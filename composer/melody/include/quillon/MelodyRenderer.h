#pragma once

#include "quillon/MusicCode.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quillon {

// When one element is heard, in frames (samples of the mono signal) from the melody's start.
// Element k starts at floor(T_k * rate / 1000), T_k the sum of the lengths before it in ms, so
// that rounding never adds up over a long melody.
struct ElementTiming {
    // Index into the codes given to renderMelody (and so into Melody::elements).
    std::size_t element;
    std::int64_t startFrame;
    // The note sounds in [startFrame, soundEndFrame): its length less the gap. A rest or an
    // element without pitch is silent, and then soundEndFrame == startFrame.
    std::int64_t soundEndFrame;
    // The next element's startFrame.
    std::int64_t endFrame;

    friend bool operator==(const ElementTiming&, const ElementTiming&) = default;
};

struct RenderedMelody {
    // Mono, signed 16 bit, at the rate asked for.
    std::vector<std::int16_t> samples;
    std::vector<ElementTiming> timings;
};

// Rates from 1 Hz to 1 MHz are rendered; any other gives nothing.
inline constexpr int kMaxSampleRate = 1'000'000;

// Renders codes as the firmware plays them, up to the first 0: each note a square wave at the
// timer's pitch whose sign flips at every multiple of N µs from the note's start, then silence
// for the gap; rests and indexes without pitch silent for their whole length. The result holds
// 2 bytes per frame, about 94 KiB per second at 48 kHz.
RenderedMelody renderMelody(std::span<const MusicCode> codes, int sampleRate);

// One element alone, from its start to its end (sound and gap), for sounding a clicked note.
// Empty for code 0.
std::vector<std::int16_t> renderNote(MusicCode code, int sampleRate);

} // namespace quillon
