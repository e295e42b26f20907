#include "quillon/BoardKind.h"

#include "BoardPrograms.h"
#include "quillon/UploadError.h"

#include <algorithm>
#include <string>

namespace quillon {

const std::vector<BoardKind>& boardKinds() {
    static const std::vector<BoardKind> kinds = {
        {"uno",
         "Arduino Uno (optiboot)",
         BootProtocol::Stk500v1,
         115200,
         128,
         0x7E00,
         {0x1E, 0x95, 0x0F},
         programAtmega328p()},
        {"nano",
         "Arduino Nano (optiboot)",
         BootProtocol::Stk500v1,
         115200,
         128,
         0x7E00,
         {0x1E, 0x95, 0x0F},
         programAtmega328p()},
        // The old Nano bootloader (ATmegaBOOT) takes 2 KiB.
        {"nano-old",
         "Arduino Nano (old bootloader)",
         BootProtocol::Stk500v1,
         57600,
         128,
         0x7800,
         {0x1E, 0x95, 0x0F},
         programAtmega328p()},
        {"mega",
         "Arduino Mega 2560",
         BootProtocol::Stk500v2,
         115200,
         256,
         0x3E000,
         {0x1E, 0x98, 0x01},
         programAtmega2560()},
        {"leonardo",
         "Arduino Leonardo / Micro",
         BootProtocol::Avr109,
         57600,
         128,
         0x7000,
         {0x1E, 0x95, 0x87},
         programAtmega32u4()},
    };
    return kinds;
}

const BoardKind* findBoardKind(std::string_view name) {
    for (const BoardKind& kind : boardKinds()) {
        if (kind.name == name) {
            return &kind;
        }
    }
    return nullptr;
}

std::size_t melodyCapacity(const BoardKind& board) {
    // One byte for the melody's end.
    return board.flashLimit - board.program.size() - 1;
}

std::vector<std::uint8_t> programWithMelody(const BoardKind& board,
                                            std::span<const std::uint8_t> codes) {
    if (codes.empty()) {
        throw UploadFailure(UploadError::MelodyEmpty, "the melody has no notes");
    }
    if (codes.size() > melodyCapacity(board)) {
        throw UploadFailure(UploadError::MelodyTooLong, std::to_string(codes.size()) +
                                                            " codes, room for " +
                                                            std::to_string(melodyCapacity(board)));
    }
    std::vector<std::uint8_t> image(board.program.begin(), board.program.end());
    // The player stops at the first 0; a 0 inside would cut the melody short there, as in the
    // composer's array.
    image.insert(image.end(), codes.begin(), codes.end());
    image.push_back(0);
    const std::size_t pages = (image.size() + board.pageSize - 1) / board.pageSize;
    image.resize(pages * board.pageSize, 0xFF);
    return image;
}

} // namespace quillon
