#pragma once

#include "quillon_convention.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quillon {

// How a music code sounds in the preview: the pitch that the firmware's 1 MHz timer makes from
// the reload table, and the lengths that the firmware player waits. The preview must sound like
// the chip, so nothing here is equal temperament or rounded to a nicer value.

// The values come from the firmware's own convention header, which the player on the chip
// includes too; these are their C++ forms.

// Table frequencies in hertz by note index (C3 .. B6), the same values the reload table is made
// from. A test runs the table tool and holds the two together.
inline constexpr std::array<std::uint32_t, QUILLON_NOTE_COUNT> kNoteFrequencies = {
    QUILLON_NOTE_FREQUENCIES_HZ};

inline constexpr int kPitchedNotes = QUILLON_NOTE_COUNT;
// Note index field of the rest code 0xf8; indexes 28..30 have no pitch either.
inline constexpr int kRestIndex = QUILLON_REST_INDEX;

// Every note is cut this much before its end, so that two equal notes in a row are heard apart.
inline constexpr std::uint32_t kGapMillis = QUILLON_GAP_MS;

// Timer ticks (µs) in half a period: the speaker pin toggles every N µs. 0 for an index that has
// no pitch (28..31).
constexpr std::uint32_t halfPeriodMicros(int noteIndex) {
    if (noteIndex < 0 || noteIndex >= kPitchedNotes) {
        return 0;
    }
    return 500000U / kNoteFrequencies[static_cast<std::size_t>(noteIndex)];
}

// The frequency that the timer really produces, 1,000,000 / (2N); 0 without a pitch.
constexpr double producedFrequency(int noteIndex) {
    const std::uint32_t n = halfPeriodMicros(noteIndex);
    return n == 0 ? 0.0 : 1'000'000.0 / (2.0 * n);
}

// Length of an element by its duration code (bits 2..0). Code 0 is one beat like code 3, so that
// the rest button's 0xf8 lasts a beat; from 3 on each step adds a beat.
#define QUILLON_AS_MILLIS(ms) ms
inline constexpr std::array<std::uint32_t, 8> kDurationMillis = {
    QUILLON_DURATIONS_MS(QUILLON_AS_MILLIS)};
#undef QUILLON_AS_MILLIS

constexpr std::uint32_t durationMillis(int durationCode) {
    return kDurationMillis[static_cast<std::size_t>(durationCode & 7)];
}

// About -12 dBFS: loud enough to judge pitch, far from clipping a mixer that adds other sound.
inline constexpr std::int16_t kSquareAmplitude = 8231;

} // namespace quillon
