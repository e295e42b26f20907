#pragma once

#include <array>
#include <cstdint>

namespace quillon {

// How a music code sounds in the preview: the pitch that the firmware's 1 MHz timer makes from
// the reload table, and the lengths that the firmware player waits. The preview must sound like
// the chip, so nothing here is equal temperament or rounded to a nicer value.

// Table frequencies in hertz by note index (C3 .. B6), the same values the reload table is made
// from. The composer cannot ask the table tool at run time, so it keeps its own copy; a test
// runs the tool and holds the two together.
inline constexpr std::array<std::uint32_t, 28> kNoteFrequencies = {
    131,  147,  165,  175,  196,  220,  247,  // C3 .. B3
    262,  294,  330,  349,  392,  440,  494,  // C4 .. B4
    523,  587,  659,  698,  784,  880,  988,  // C5 .. B5
    1046, 1175, 1318, 1397, 1568, 1760, 1975, // C6 .. B6
};

inline constexpr int kPitchedNotes = 28;
// Note index field of the rest code 0xf8; indexes 28..30 have no pitch either.
inline constexpr int kRestIndex = 31;

// Every note is cut this much before its end, so that two equal notes in a row are heard apart.
inline constexpr std::uint32_t kGapMillis = 20;

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
inline constexpr std::array<std::uint32_t, 8> kDurationMillis = {400, 100,  200,  400,
                                                                 800, 1200, 1600, 2000};

constexpr std::uint32_t durationMillis(int durationCode) {
    return kDurationMillis[static_cast<std::size_t>(durationCode & 7)];
}

// About -12 dBFS: loud enough to judge pitch, far from clipping a mixer that adds other sound.
inline constexpr std::int16_t kSquareAmplitude = 8231;

} // namespace quillon
