#pragma once

#include "quillon/CodeCounter.h"
#include "quillon/MusicCode.h"
#include "quillon/TextChange.h"

#include <span>
#include <string>

namespace quillon {

// The composer as it stands after Clear, one click for each code and End.
struct ComposerState {
    // The array header line, the code items with an automatic line break after every 16th
    // change, and "0x00};", CR LF line ends. Rests other than 0xf8 are written as items too.
    std::u16string text;
    // The change counters the clicks would have left. No window takes them over: a window that
    // is given the text counts it as one write, as it counts an opened file.
    CodeCounter counter;
};

// Written directly, in time linear in the codes, by the editor's rules for Clear, a click and
// End, so that it matches what clicking would give byte for byte.
ComposerState composerState(std::span<const MusicCode> codes);

// composerState(codes).text.
std::u16string composerText(std::span<const MusicCode> codes);

// The one change that makes `text` the composer's text of `codes`: a tune brought in replaces
// the melody. Linear in both.
TextChange importChange(std::u16string_view text, std::span<const MusicCode> codes);

} // namespace quillon
