#include "Stk500v1.h"

#include "quillon/UploadError.h"

#include <array>

namespace quillon {

namespace {

constexpr std::uint8_t kOk = 0x10;
constexpr std::uint8_t kInSync = 0x14;
constexpr std::uint8_t kCrcEop = 0x20;
constexpr std::uint8_t kGetSync = 0x30;
constexpr std::uint8_t kEnterProgmode = 0x50;
constexpr std::uint8_t kLeaveProgmode = 0x51;
constexpr std::uint8_t kLoadAddress = 0x55;
constexpr std::uint8_t kProgPage = 0x64;
constexpr std::uint8_t kReadPage = 0x74;
constexpr std::uint8_t kReadSign = 0x75;

// About two seconds of tries: optiboot listens for one second after its reset, and the board
// may take a moment to come out of it.
constexpr int kSyncTries = 8;
constexpr int kSyncWaitMs = 250;

} // namespace

void Stk500v1::connect() {
    for (int attempt = 0; attempt < kSyncTries; ++attempt) {
        port_.discardInput();
        const std::array<std::uint8_t, 2> sync{kGetSync, kCrcEop};
        port_.write(sync);
        std::array<std::uint8_t, 2> answer{};
        const std::size_t got = port_.read(answer, kSyncWaitMs);
        if (got == 2 && answer[0] == kInSync && answer[1] == kOk) {
            // Answers to earlier tries may still be on their way.
            std::array<std::uint8_t, 64> late{};
            while (port_.read(late, 100) > 0) {
            }
            return;
        }
    }
    throw UploadFailure(UploadError::NoAnswer,
                        port_.path() + ": no answer to STK500 sync at " + "the board's speed");
}

void Stk500v1::command(std::span<const std::uint8_t> bytes, const char* what) {
    port_.write(bytes);
    const std::array<std::uint8_t, 2> ok{kInSync, kOk};
    expect(ok, what);
}

std::array<std::uint8_t, 3> Stk500v1::signature() {
    const std::array<std::uint8_t, 2> ask{kReadSign, kCrcEop};
    port_.write(ask);
    const std::array<std::uint8_t, 1> inSync{kInSync};
    expect(inSync, "reading the signature");
    const std::vector<std::uint8_t> sig = receive(3);
    const std::array<std::uint8_t, 1> ok{kOk};
    expect(ok, "the signature");
    const std::array<std::uint8_t, 2> enter{kEnterProgmode, kCrcEop};
    command(enter, "entering programming");
    return {sig[0], sig[1], sig[2]};
}

void Stk500v1::loadAddress(std::uint32_t address) {
    const std::uint32_t word = address / 2;
    const std::array<std::uint8_t, 4> load{kLoadAddress, static_cast<std::uint8_t>(word & 0xFF),
                                           static_cast<std::uint8_t>(word >> 8), kCrcEop};
    command(load, "setting the address");
}

void Stk500v1::writePage(std::uint32_t address, std::span<const std::uint8_t> page) {
    loadAddress(address);
    std::vector<std::uint8_t> bytes{kProgPage, static_cast<std::uint8_t>(page.size() >> 8),
                                    static_cast<std::uint8_t>(page.size() & 0xFF), 'F'};
    bytes.insert(bytes.end(), page.begin(), page.end());
    bytes.push_back(kCrcEop);
    command(bytes, "writing a page");
}

std::vector<std::uint8_t> Stk500v1::readPage(std::uint32_t address, std::size_t size) {
    loadAddress(address);
    const std::array<std::uint8_t, 5> ask{kReadPage, static_cast<std::uint8_t>(size >> 8),
                                          static_cast<std::uint8_t>(size & 0xFF), 'F', kCrcEop};
    port_.write(ask);
    const std::array<std::uint8_t, 1> inSync{kInSync};
    expect(inSync, "reading a page");
    std::vector<std::uint8_t> data = receive(size);
    const std::array<std::uint8_t, 1> ok{kOk};
    expect(ok, "a page read");
    return data;
}

void Stk500v1::finish() {
    const std::array<std::uint8_t, 2> leave{kLeaveProgmode, kCrcEop};
    command(leave, "leaving programming");
}

} // namespace quillon
