#pragma once

#include "quillon/MelodyPreview.h"
#include "quillon/TextChange.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace quillon {

struct Transposition {
    // None when no note moved: nothing to write and no step of the history.
    std::optional<TextChange> change;
    std::size_t moved = 0;
    // Notes that would have left C3 to B6 and stayed where they were.
    std::size_t stayed = 0;
    // The selection given (or the caret) over the same characters after the change: an item
    // that gained or lost digits moves what follows it.
    TextSpan selection;
};

// Moves every note code of the array by `step` note indexes (+1 or -1 for one natural, +7 or
// -7 for an octave), keeping its duration: the items that lie wholly inside `selection`, or
// all of the array's when the selection is empty.
//
// A note code is an element written as one integer literal (no sign, no sum, no character
// constant) whose value is 1 to 255 with a note index of 0 to 27; rests, indexes 28 to 30, 0
// and larger values are no notes. Each moved note keeps its spelling: its base and prefix, its
// suffix, the case of its hexadecimal digits (upper only where the item had upper-case letters
// and no lower-case ones), and at least as many digits as it had (hexadecimal, octal and
// binary; a decimal one never gains a leading zero, which would make it octal). Everything else
// of the text stays as it is, character for character.
//
// The change is the one smallest edit that covers every moved note; linear in the text.
Transposition transpose(std::u16string_view text, TextSpan selection, int step);

} // namespace quillon
