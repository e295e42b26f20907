#pragma once

#include "quillon/MusicCode.h"

#include <span>
#include <string>

namespace quillon {

// A complete Arduino sketch that plays the codes once at start through the Quillon library: the
// array in flash (PROGMEM) ended by 0x00, #include <Quillon.h>, setup() calling quillon_init()
// and quillon_play_P(), an empty loop(). Sixteen codes to a line; line breaks are CR LF, as in
// the composer's own text.
std::u16string arduinoSketch(std::span<const MusicCode> codes);

} // namespace quillon
