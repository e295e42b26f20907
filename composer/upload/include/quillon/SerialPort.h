#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quillon {

// A serial port opened for a bootloader (a device path on Linux, "COM3" on Windows): raw 8N1 bytes,
// reads with a timeout. Every failure is an UploadFailure saying what went wrong in the user's
// terms (busy, no permission, gone).
class SerialPort {
public:
    // Throws UploadFailure: PortNotFound, PortBusy, NoPermission, PortFailed.
    SerialPort(const std::string& path, std::uint32_t baud);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Sets or clears DTR and RTS together, as the IDE does to reset a board. A port without
    // modem lines (a pseudo-terminal) cannot: that is no error, the board resets otherwise.
    void setModemLines(bool on);

    void write(std::span<const std::uint8_t> bytes);
    // Up to bytes.size() bytes, waiting at most timeoutMs for each; returns how many came.
    std::size_t read(std::span<std::uint8_t> bytes, int timeoutMs);
    // Throws away whatever has come in so far.
    void discardInput();

    const std::string& path() const { return path_; }

private:
    std::string path_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace quillon
