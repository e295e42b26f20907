#pragma once

#include "quillon/ImportError.h"
#include "quillon/ImportReport.h"
#include "quillon/MusicCode.h"
#include "quillon/Tune.h"

#include <cstddef>
#include <variant>
#include <vector>

namespace quillon {

// The most codes a tune may become: with its 0x00 the array fills 32 KiB, the flash of the
// largest chip the player builds for.
inline constexpr std::size_t kMaxImportedCodes = 32767;

struct ConvertedTune {
    // Notes and rests, without the terminating 0x00.
    std::vector<MusicCode> codes;
    // The pitch and length changes (the reader's own entries are not included).
    ImportReport report;
};

// Music codes of a tune, by these rules:
//
// Pitch. MIDI note 48 is C3 (note index 0), up to 95, B6 (index 27); naturals only. The whole
// tune moves by the number of semitones in -11..+11 that puts the most notes on naturals (ties:
// the smallest move, then upward), then by whole octaves so that the most notes fall inside
// C3-B6 (ties: the smaller move, then upward). A note still sharp then takes the natural below
// it; a note still outside C3-B6 moves by octaves into it.
//
// Length. The nearest of 100, 200, 400, 800, 1,200, 1,600 and 2,000 ms (ties to the longer):
// notes as the grid writes them (duration codes 1, 2, 3, 4, 5, 6, 7), rests as 0xf9, 0xfa,
// 0xf8, 0xfc, 0xfd, 0xfe, 0xff. Longer than 2,000 ms: the nearest multiple of 100 ms (halves
// upward), as a chain of 2,000 ms codes and then the fewest codes for the rest, longest first.
//
// TooLong when the codes would be more than kMaxImportedCodes.
std::variant<ConvertedTune, ImportError> convertTune(const Tune& tune);

} // namespace quillon
