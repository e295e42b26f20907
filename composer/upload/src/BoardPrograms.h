#pragma once

#include <cstdint>
#include <span>

namespace quillon {

// The player program for each chip at 16 MHz, built by avr-gcc with this build (see
// firmware/board/quillon_board.c) and written into the library as arrays.
std::span<const std::uint8_t> programAtmega328p();
std::span<const std::uint8_t> programAtmega2560();
std::span<const std::uint8_t> programAtmega32u4();

} // namespace quillon
