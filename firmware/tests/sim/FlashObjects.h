#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::sim {

// A named byte range of program flash: a constant in flash, or the image that start-up copies
// into RAM.
struct FlashObject {
    std::string name;
    std::uint32_t start = 0;
    std::uint32_t size = 0;

    bool holds(std::uint32_t address) const { return address >= start && address - start < size; }
};

// The flash objects of an AVR ELF file, from its symbol table.
class FlashObjects {
public:
    // Throws std::runtime_error when the file cannot be read as ELF with a symbol table.
    explicit FlashObjects(const std::string& elfPath);

    // The object that holds the address, or nullptr.
    const FlashObject* find(std::uint32_t address) const;

    const std::vector<FlashObject>& all() const { return objects_; }

private:
    std::vector<FlashObject> objects_;
};

} // namespace quillon::sim
