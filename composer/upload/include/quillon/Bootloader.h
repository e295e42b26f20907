#pragma once

#include "quillon/SerialPort.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace quillon {

enum class BootProtocol;

// The talk with a board's bootloader over its serial port, after the reset. Every method
// throws UploadFailure: NoAnswer when nothing comes, WrongAnswer when what comes is not the
// protocol's answer.
class Bootloader {
public:
    explicit Bootloader(SerialPort& port) : port_(port) {}
    virtual ~Bootloader() = default;
    Bootloader(const Bootloader&) = delete;
    Bootloader& operator=(const Bootloader&) = delete;

    // Until the bootloader answers, or NoAnswer.
    virtual void connect() = 0;
    virtual std::array<std::uint8_t, 3> signature() = 0;
    // One page at a byte address on a page boundary.
    virtual void writePage(std::uint32_t address, std::span<const std::uint8_t> page) = 0;
    virtual std::vector<std::uint8_t> readPage(std::uint32_t address, std::size_t size) = 0;
    // Leaves the bootloader, which then starts the program.
    virtual void finish() = 0;

    static std::unique_ptr<Bootloader> make(BootProtocol protocol, SerialPort& port);

protected:
    // Exactly n bytes, each within timeoutMs; NoAnswer when none came, WrongAnswer when some.
    std::vector<std::uint8_t> receive(std::size_t n, int timeoutMs = kReplyMs);
    // The bytes must come as given; WrongAnswer otherwise.
    void expect(std::span<const std::uint8_t> bytes, const char* after);

    static constexpr int kReplyMs = 1000;
    SerialPort& port_;
};

} // namespace quillon
