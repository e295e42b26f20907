#pragma once

#include "quillon/CodeCounter.h"
#include "quillon/MusicCode.h"

#include <span>
#include <string>

namespace quillon {

// The composer as it stands after Clear, one click for each code and End.
struct ComposerState {
    // The array header line, the code items with an automatic line break after every 16th
    // change, and "0x00};", CR LF line ends. Rests other than 0xf8 are written as items too.
    std::u16string text;
    // The change counters behind it, so that a window that takes the text over can go on
    // counting and breaking lines as if the codes had been clicked.
    CodeCounter counter;
};

// Made by the composer's own editor, so that it matches the window byte for byte.
ComposerState composerState(std::span<const MusicCode> codes);

// composerState(codes).text.
std::u16string composerText(std::span<const MusicCode> codes);

} // namespace quillon
