#include "Avr109.h"

#include "quillon/UploadError.h"

namespace quillon {

namespace {

constexpr int kSyncTries = 8;
constexpr int kSyncWaitMs = 250;

} // namespace

void Avr109::command(std::span<const std::uint8_t> bytes, const char* what) {
    port_.write(bytes);
    const std::uint8_t done[] = {'\r'};
    expect(done, what);
}

void Avr109::connect() {
    for (int attempt = 0; attempt < kSyncTries; ++attempt) {
        port_.discardInput();
        // "Auto-increment supported?" answers 'Y'.
        const std::uint8_t ask[] = {'a'};
        port_.write(ask);
        std::uint8_t answer[1] = {};
        if (port_.read(answer, kSyncWaitMs) == 1 && answer[0] == 'Y') {
            const std::uint8_t enter[] = {'P'};
            command(enter, "entering programming");
            return;
        }
    }
    throw UploadFailure(UploadError::NoAnswer,
                        port_.path() + ": no answer to AVR109 after the 1200-baud touch");
}

std::array<std::uint8_t, 3> Avr109::signature() {
    const std::uint8_t ask[] = {'s'};
    port_.write(ask);
    const std::vector<std::uint8_t> sig = receive(3);
    // Lowest byte first.
    return {sig[2], sig[1], sig[0]};
}

void Avr109::setAddress(std::uint32_t address) {
    const std::uint32_t word = address / 2;
    const std::uint8_t set[] = {'A', static_cast<std::uint8_t>(word >> 8),
                                static_cast<std::uint8_t>(word & 0xFF)};
    command(set, "setting the address");
}

void Avr109::writePage(std::uint32_t address, std::span<const std::uint8_t> page) {
    setAddress(address);
    std::vector<std::uint8_t> bytes{'B', static_cast<std::uint8_t>(page.size() >> 8),
                                    static_cast<std::uint8_t>(page.size() & 0xFF), 'F'};
    bytes.insert(bytes.end(), page.begin(), page.end());
    command(bytes, "writing a page");
}

std::vector<std::uint8_t> Avr109::readPage(std::uint32_t address, std::size_t size) {
    setAddress(address);
    const std::uint8_t ask[] = {'g', static_cast<std::uint8_t>(size >> 8),
                                static_cast<std::uint8_t>(size & 0xFF), 'F'};
    port_.write(ask);
    return receive(size);
}

void Avr109::finish() {
    const std::uint8_t leave[] = {'L'};
    command(leave, "leaving programming");
    const std::uint8_t exit[] = {'E'};
    command(exit, "starting the program");
}

} // namespace quillon
