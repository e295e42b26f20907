#pragma once

#include "quillon/Bootloader.h"

namespace quillon {

// STK500 version 2, as the Mega 2560's bootloader speaks it: framed messages with a sequence
// number and an XOR checksum, the answer echoing the command and a status.
class Stk500v2 : public Bootloader {
public:
    using Bootloader::Bootloader;
    void connect() override;
    std::array<std::uint8_t, 3> signature() override;
    void writePage(std::uint32_t address, std::span<const std::uint8_t> page) override;
    std::vector<std::uint8_t> readPage(std::uint32_t address, std::size_t size) override;
    void finish() override;

private:
    // Sends the body, returns the answer's body after its command and status bytes.
    std::vector<std::uint8_t> transact(std::span<const std::uint8_t> body, int timeoutMs);
    void loadAddress(std::uint32_t address);

    std::uint8_t sequence_ = 0;
};

} // namespace quillon
