#include "Stk500v2.h"

#include "quillon/UploadError.h"

#include <string>

namespace quillon {

namespace {

constexpr std::uint8_t kStart = 0x1B;
constexpr std::uint8_t kToken = 0x0E;
constexpr std::uint8_t kStatusOk = 0x00;
constexpr std::uint8_t kSignOn = 0x01;
constexpr std::uint8_t kLoadAddress = 0x06;
constexpr std::uint8_t kEnterProgmode = 0x10;
constexpr std::uint8_t kLeaveProgmode = 0x11;
constexpr std::uint8_t kProgramFlash = 0x13;
constexpr std::uint8_t kReadFlash = 0x14;
constexpr std::uint8_t kReadSignature = 0x1B;

constexpr int kSyncTries = 8;
constexpr int kSyncWaitMs = 250;

} // namespace

std::vector<std::uint8_t> Stk500v2::transact(std::span<const std::uint8_t> body, int timeoutMs) {
    const std::uint8_t seq = sequence_++;
    std::vector<std::uint8_t> frame{kStart, seq, static_cast<std::uint8_t>(body.size() >> 8),
                                    static_cast<std::uint8_t>(body.size() & 0xFF), kToken};
    frame.insert(frame.end(), body.begin(), body.end());
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : frame) {
        sum ^= byte;
    }
    frame.push_back(sum);
    port_.write(frame);

    const std::vector<std::uint8_t> head = receive(5, timeoutMs);
    if (head[0] != kStart || head[1] != seq || head[4] != kToken) {
        throw UploadFailure(UploadError::WrongAnswer,
                            port_.path() + ": not an STK500v2 answer frame");
    }
    const std::size_t size = static_cast<std::size_t>(head[2] << 8 | head[3]);
    const std::vector<std::uint8_t> rest = receive(size + 1);
    std::uint8_t check = 0;
    for (const std::uint8_t byte : head) {
        check ^= byte;
    }
    for (const std::uint8_t byte : rest) {
        check ^= byte;
    }
    if (check != 0 || size < 2 || rest[0] != body[0] || rest[1] != kStatusOk) {
        throw UploadFailure(UploadError::WrongAnswer,
                            port_.path() + ": the STK500v2 answer has a wrong checksum, " +
                                "command or status");
    }
    return {rest.begin() + 2, rest.end() - 1};
}

void Stk500v2::connect() {
    for (int attempt = 0; attempt < kSyncTries; ++attempt) {
        port_.discardInput();
        const std::uint8_t signOn[] = {kSignOn};
        try {
            transact(signOn, kSyncWaitMs);
            return;
        } catch (const UploadFailure& failure) {
            if (failure.kind() != UploadError::NoAnswer &&
                failure.kind() != UploadError::WrongAnswer) {
                throw;
            }
            // Answers to earlier tries may come late: start the numbering again.
            sequence_ = 0;
        }
    }
    throw UploadFailure(UploadError::NoAnswer,
                        port_.path() + ": no answer to STK500v2 sign-on at the board's speed");
}

std::array<std::uint8_t, 3> Stk500v2::signature() {
    std::array<std::uint8_t, 3> sig{};
    for (std::uint8_t i = 0; i < 3; ++i) {
        const std::uint8_t ask[] = {kReadSignature, 4, 0x30, 0, i, 0};
        const std::vector<std::uint8_t> answer = transact(ask, kReplyMs);
        if (answer.empty()) {
            throw UploadFailure(UploadError::WrongAnswer, port_.path() + ": no signature byte");
        }
        sig[i] = answer[0];
    }
    const std::uint8_t enter[] = {kEnterProgmode, 200, 100, 25, 32, 0, 0x53, 3, 0xAC, 0x53, 0, 0};
    transact(enter, kReplyMs);
    return sig;
}

void Stk500v2::loadAddress(std::uint32_t address) {
    const std::uint32_t word = address / 2;
    // Bit 31 asks for the extended address byte, as chips beyond 64 KiB need.
    const std::uint8_t load[] = {kLoadAddress, static_cast<std::uint8_t>(0x80 | (word >> 24)),
                                 static_cast<std::uint8_t>(word >> 16),
                                 static_cast<std::uint8_t>(word >> 8),
                                 static_cast<std::uint8_t>(word)};
    transact(load, kReplyMs);
}

void Stk500v2::writePage(std::uint32_t address, std::span<const std::uint8_t> page) {
    loadAddress(address);
    std::vector<std::uint8_t> body{kProgramFlash,
                                   static_cast<std::uint8_t>(page.size() >> 8),
                                   static_cast<std::uint8_t>(page.size() & 0xFF),
                                   0xC1,
                                   10,
                                   0x40,
                                   0x4C,
                                   0x20,
                                   0x00,
                                   0x00};
    body.insert(body.end(), page.begin(), page.end());
    transact(body, kReplyMs);
}

std::vector<std::uint8_t> Stk500v2::readPage(std::uint32_t address, std::size_t size) {
    loadAddress(address);
    const std::uint8_t ask[] = {kReadFlash, static_cast<std::uint8_t>(size >> 8),
                                static_cast<std::uint8_t>(size & 0xFF), 0x20};
    std::vector<std::uint8_t> data = transact(ask, kReplyMs);
    // The data, then a status byte.
    if (data.size() != size + 1) {
        throw UploadFailure(UploadError::WrongAnswer,
                            port_.path() + ": a flash read of the wrong length");
    }
    data.pop_back();
    return data;
}

void Stk500v2::finish() {
    const std::uint8_t leave[] = {kLeaveProgmode, 1, 1};
    transact(leave, kReplyMs);
}

} // namespace quillon
