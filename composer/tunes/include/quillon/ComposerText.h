#pragma once

#include "quillon/MusicCode.h"

#include <span>
#include <string>

namespace quillon {

// The composer's text after Clear, one click for each code and End, made by the composer's own
// editor: the array header line, the code items with an automatic line break after every 16th
// change, and "0x00};", CR LF line ends. Rests other than 0xf8 are written as items too.
std::u16string composerText(std::span<const MusicCode> codes);

} // namespace quillon
