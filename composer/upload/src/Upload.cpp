#include "quillon/Upload.h"

#include "quillon/Bootloader.h"
#include "quillon/PortList.h"
#include "quillon/SerialPort.h"
#include "quillon/UploadError.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace quillon {

namespace {

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void checkCancel(const UploadRequest& request) {
    if (request.cancel != nullptr && request.cancel->load()) {
        throw UploadFailure(UploadError::Cancelled, "cancelled");
    }
}

void report(const UploadRequest& request, UploadPhase phase, std::size_t done, std::size_t total) {
    if (request.progress) {
        request.progress(phase, done, total);
    }
}

// Whether the port is there: listed, or (a link under /dev/serial/by-id, a pseudo-terminal)
// a file of that name, which the list does not show.
bool portPresent(const std::string& path, const std::vector<std::string>& listed) {
    if (std::find(listed.begin(), listed.end(), path) != listed.end()) {
        return true;
    }
#ifndef _WIN32
    return ::access(path.c_str(), F_OK) == 0;
#else
    return false;
#endif
}

// The Leonardo's bootloader starts when its port is opened at 1200 baud and closed; it then
// comes back as a port of its own, often under another name, and waits 8 s for the host.
std::string touchAt1200(const UploadRequest& request) {
    std::vector<std::string> before;
    for (const PortInfo& info : listPorts()) {
        before.push_back(info.path);
    }
    {
        SerialPort touch(request.port, 1200);
        touch.setModemLines(false);
    }
    // A board's port goes away within a few hundred milliseconds of the touch; one still there
    // after this long stays (a pseudo-terminal, or a board back before we looked): waiting on
    // would use up the bootloader's 8 s.
    constexpr int staysAfterMs = 2000;
    bool gone = false;
    for (int waited = 0; waited < 10000; waited += 100) {
        checkCancel(request);
        pause(100);
        std::vector<std::string> now;
        for (const PortInfo& info : listPorts()) {
            now.push_back(info.path);
        }
        for (const std::string& path : now) {
            if (std::find(before.begin(), before.end(), path) == before.end()) {
                pause(500);
                return path;
            }
        }
        const bool there = portPresent(request.port, now);
        gone = gone || !there;
        if (gone && there) {
            pause(500);
            return request.port;
        }
        if (!gone && waited + 100 >= staysAfterMs) {
            return request.port;
        }
    }
    // Gone and not back in 10 s: try the same port, for the error it gives.
    return request.port;
}

std::string hexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

void uploadSteps(const UploadRequest& request);

} // namespace

void upload(const UploadRequest& request) {
    try {
        uploadSteps(request);
    } catch (const UploadFailure& failure) {
        // Stopped while the bootloader had not answered yet, say: the user asked for it.
        if (request.cancel != nullptr && request.cancel->load() &&
            failure.kind() != UploadError::Cancelled) {
            throw UploadFailure(UploadError::Cancelled, "cancelled");
        }
        throw;
    }
}

namespace {

void uploadSteps(const UploadRequest& request) {
    const BoardKind& board = *request.board;
    const std::vector<std::uint8_t> image = programWithMelody(board, request.codes);
    report(request, UploadPhase::Connecting, 0, image.size());

    std::string path = request.port;
    if (board.protocol == BootProtocol::Avr109) {
        path = touchAt1200(request);
    }
    SerialPort port(path, board.baud);
    if (board.protocol != BootProtocol::Avr109) {
        // The reset pulse the IDE sends: the board's auto-reset takes DTR's falling edge.
        port.setModemLines(false);
        pause(250);
        port.setModemLines(true);
        pause(50);
    }
    const std::unique_ptr<Bootloader> loader = Bootloader::make(board.protocol, port);
    loader->connect();
    const std::array<std::uint8_t, 3> signature = loader->signature();
    if (signature != board.signature) {
        throw UploadFailure(UploadError::WrongChip,
                            path + ": the chip's signature is " + hexByte(signature[0]) + " " +
                                hexByte(signature[1]) + " " + hexByte(signature[2]) + ", not the " +
                                std::string(board.title) + "'s");
    }
    const std::size_t total = image.size();
    for (std::size_t at = 0; at < total; at += board.pageSize) {
        checkCancel(request);
        report(request, UploadPhase::Writing, at, total);
        loader->writePage(static_cast<std::uint32_t>(at),
                          std::span(image).subspan(at, board.pageSize));
    }
    for (std::size_t at = 0; at < total; at += board.pageSize) {
        checkCancel(request);
        report(request, UploadPhase::Verifying, at, total);
        const std::vector<std::uint8_t> back =
            loader->readPage(static_cast<std::uint32_t>(at), board.pageSize);
        for (std::size_t i = 0; i < board.pageSize; ++i) {
            if (back[i] != image[at + i]) {
                char text[128];
                std::snprintf(text, sizeof text, "flash byte 0x%04zx reads 0x%02x, written 0x%02x",
                              at + i, back[i], image[at + i]);
                throw UploadFailure(UploadError::VerifyMismatch, path + ": " + text);
            }
        }
    }
    loader->finish();
    report(request, UploadPhase::Done, total, total);
}

} // namespace

} // namespace quillon
