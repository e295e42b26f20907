#pragma once

#include "quillon/Bootloader.h"

namespace quillon {

// STK500 version 1, as optiboot (Uno, Nano) and ATmegaBOOT (the old Nano) speak it: a command,
// its arguments, CRC_EOP; the answer between INSYNC and OK.
class Stk500v1 : public Bootloader {
public:
    using Bootloader::Bootloader;
    void connect() override;
    std::array<std::uint8_t, 3> signature() override;
    void writePage(std::uint32_t address, std::span<const std::uint8_t> page) override;
    std::vector<std::uint8_t> readPage(std::uint32_t address, std::size_t size) override;
    void finish() override;

private:
    void command(std::span<const std::uint8_t> bytes, const char* what);
    void loadAddress(std::uint32_t address);
};

} // namespace quillon
