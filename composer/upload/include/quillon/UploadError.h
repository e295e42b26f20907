#pragma once

#include <stdexcept>
#include <string>

namespace quillon {

// Why an upload stopped. Each face words these for its users, with what to do about it.
enum class UploadError {
    NoBoardFound,   // no serial port that may be a board
    PortNotFound,   // the port named does not exist
    PortBusy,       // another program (a serial monitor) holds the port
    NoPermission,   // the user may not open the port (Linux: not in the dialout group)
    PortFailed,     // the port refused a setting or a transfer for another reason
    PortGone,       // the port went away during the upload (unplugged, reset into another port)
    NoAnswer,       // the bootloader never answered: another board kind, or the old Nano's
    WrongAnswer,    // the bootloader answered with bytes its protocol does not allow
    WrongChip,      // the chip's signature is not the board kind's
    MelodyEmpty,    // nothing to play
    MelodyTooLong,  // the program and the melody do not fit below the bootloader
    VerifyMismatch, // the flash read back differs from what was written
    Cancelled,      // the user stopped it
};

// An upload's failure: the kind, and the facts for the message (the port, the byte, the sizes).
class UploadFailure : public std::runtime_error {
public:
    UploadFailure(UploadError kind, const std::string& detail)
        : std::runtime_error(detail), kind_(kind) {}
    UploadError kind() const { return kind_; }

private:
    UploadError kind_;
};

} // namespace quillon
