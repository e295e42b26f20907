#include "quillon/Bootloader.h"

#include "Avr109.h"
#include "Stk500v1.h"
#include "Stk500v2.h"
#include "quillon/BoardKind.h"
#include "quillon/UploadError.h"

#include <cstdio>
#include <string>

namespace quillon {

std::unique_ptr<Bootloader> Bootloader::make(BootProtocol protocol, SerialPort& port) {
    switch (protocol) {
    case BootProtocol::Stk500v1:
        return std::make_unique<Stk500v1>(port);
    case BootProtocol::Stk500v2:
        return std::make_unique<Stk500v2>(port);
    case BootProtocol::Avr109:
        return std::make_unique<Avr109>(port);
    }
    return nullptr;
}

std::vector<std::uint8_t> Bootloader::receive(std::size_t n, int timeoutMs) {
    std::vector<std::uint8_t> bytes(n);
    const std::size_t got = port_.read(bytes, timeoutMs);
    if (got == 0 && n > 0) {
        throw UploadFailure(UploadError::NoAnswer,
                            port_.path() + ": the bootloader stopped answering");
    }
    if (got < n) {
        throw UploadFailure(UploadError::WrongAnswer, port_.path() + ": " + std::to_string(got) +
                                                          " of " + std::to_string(n) +
                                                          " bytes of an answer");
    }
    return bytes;
}

void Bootloader::expect(std::span<const std::uint8_t> bytes, const char* after) {
    const std::vector<std::uint8_t> got = receive(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (got[i] != bytes[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "0x%02x instead of 0x%02x after %s", got[i], bytes[i],
                          after);
            throw UploadFailure(UploadError::WrongAnswer, port_.path() + ": " + text);
        }
    }
}

} // namespace quillon
