#pragma once

#include "quillon/BoardKind.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace quillon {

enum class UploadPhase { Connecting, Writing, Verifying, Done };

// Called from the uploading thread between steps: what it does, and how far (bytes).
using UploadProgress = std::function<void(UploadPhase, std::size_t done, std::size_t total)>;

struct UploadRequest {
    std::string port;
    const BoardKind* board = nullptr;
    // The melody's codes, without the ending 0.
    std::span<const std::uint8_t> codes;
    UploadProgress progress;
    // Set from another thread to stop between pages (Cancelled).
    const std::atomic<bool>* cancel = nullptr;
};

// Resets the board, writes the player program with the melody through its bootloader, reads
// it back and compares, and starts it. Blocks until done: run it away from a window's thread.
// Throws UploadFailure; returning means the board holds the melody and plays it.
void upload(const UploadRequest& request);

} // namespace quillon
