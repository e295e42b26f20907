#include "SoundPlay.h"

#include <algorithm>
#include <chrono>

namespace quillon {

std::int64_t steadyNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t SoundPlay::heardAt(std::int64_t nowNanos) const {
    if (!called.load(std::memory_order_acquire)) {
        return 0;
    }
    const std::int64_t rate = sampleRate.load(std::memory_order_relaxed);
    const std::int64_t since = nowNanos - originNanos.load(std::memory_order_relaxed);
    // Nanoseconds times a rate of up to 10^6 would overflow after 2.5 hours: go by µs.
    std::int64_t frames = since <= 0 ? 0 : since / 1000 * rate / 1'000'000;
    frames = std::min(frames, handed.load(std::memory_order_acquire));
    std::int64_t heard = std::max<std::int64_t>(0, frames - leadIn.load(std::memory_order_relaxed));
    if (const std::int64_t end = sourceEnd.load(std::memory_order_acquire); end >= 0) {
        heard = std::min(heard, std::max<std::int64_t>(0, end - leadIn.load()));
    }
    return heard;
}

bool SoundPlay::endHeard(std::int64_t heard) const {
    const std::int64_t end = sourceEnd.load(std::memory_order_acquire);
    return end >= 0 && heard >= end - leadIn.load(std::memory_order_relaxed);
}

} // namespace quillon
