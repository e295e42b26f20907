#pragma once

#include "quillon/Bootloader.h"

namespace quillon {

// AVR109 ("butterfly"), as Caterina on the Leonardo and Micro speaks it: one-letter commands,
// a carriage return for done.
class Avr109 : public Bootloader {
public:
    using Bootloader::Bootloader;
    void connect() override;
    std::array<std::uint8_t, 3> signature() override;
    void writePage(std::uint32_t address, std::span<const std::uint8_t> page) override;
    std::vector<std::uint8_t> readPage(std::uint32_t address, std::size_t size) override;
    void finish() override;

private:
    void command(std::span<const std::uint8_t> bytes, const char* what);
    void setAddress(std::uint32_t address);
};

} // namespace quillon
