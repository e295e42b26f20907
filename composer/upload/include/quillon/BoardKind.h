#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quillon {

enum class BootProtocol {
    Stk500v1, // optiboot, ATmegaBOOT
    Stk500v2, // the Mega 2560's
    Avr109,   // Caterina (Leonardo, Micro), reached by the 1200-baud touch
};

// A board that quillon-upload writes to, with the player program built for its chip and clock.
struct BoardKind {
    std::string_view name; // as --board takes it
    std::string_view title;
    BootProtocol protocol;
    std::uint32_t baud;
    std::uint32_t pageSize;   // bytes written at once
    std::uint32_t flashLimit; // where the bootloader starts: the program must end below it
    std::array<std::uint8_t, 3> signature;
    // The player program; the melody goes right after it.
    std::span<const std::uint8_t> program;
};

const std::vector<BoardKind>& boardKinds();

// The board of that --board name, or nullptr.
const BoardKind* findBoardKind(std::string_view name);

// The program for the board with the melody (codes without the 0) and its end written after it,
// padded with 0xFF to whole pages. Throws UploadFailure (MelodyEmpty, MelodyTooLong).
std::vector<std::uint8_t> programWithMelody(const BoardKind& board,
                                            std::span<const std::uint8_t> codes);

// How many codes fit on the board after its program.
std::size_t melodyCapacity(const BoardKind& board);

} // namespace quillon
