#include "quillon/MelodyStream.h"

#include "quillon/SoundConvention.h"

#include <algorithm>
#include <utility>

namespace quillon {
namespace {

// Frame f lies at f / rate seconds from the note's start and so in half period
// floor(f * 10^6 / (rate * N)), the half periods counted in µs. Half period h therefore starts at
// frame ceil(h * rate * N / 10^6); integers only, so the pitch is exact over any length.
std::int64_t firstFrameOfHalf(std::int64_t half, std::int64_t ticksPerHalf) {
    return (half * ticksPerHalf + 999'999) / 1'000'000;
}

} // namespace

MelodyStream::MelodyStream(std::shared_ptr<const std::vector<MusicCode>> codes, int sampleRate)
    : codes_(std::move(codes)), sampleRate_(sampleRate) {
    if (sampleRate_ <= 0 || sampleRate_ > kMaxSampleRate) {
        codes_ = nullptr;
    }
}

std::unique_ptr<MelodyStream> MelodyStream::note(MusicCode code, int sampleRate) {
    return std::make_unique<MelodyStream>(std::make_shared<const std::vector<MusicCode>>(1, code),
                                          sampleRate);
}

bool MelodyStream::enterElement() {
    if (codes_ == nullptr || next_ >= codes_->size() || (*codes_)[next_] == 0) {
        return false;
    }
    const MusicCode code = (*codes_)[next_++];
    const std::int64_t length = durationMillis(durationCode(code));
    const std::int64_t halfPeriod = halfPeriodMicros(noteIndex(code));
    elementStart_ = frameAtMillis(startMillis_, sampleRate_);
    elementEnd_ = frameAtMillis(startMillis_ + length, sampleRate_);
    soundEnd_ = halfPeriod == 0 ? elementStart_
                                : frameAtMillis(startMillis_ + length - kGapMillis, sampleRate_);
    ticksPerHalf_ = static_cast<std::int64_t>(sampleRate_) * halfPeriod;
    half_ = 0;
    flip_ = firstFrameOfHalf(1, ticksPerHalf_);
    startMillis_ += length;
    return true;
}

std::size_t MelodyStream::fill(std::span<std::int16_t> out) {
    std::size_t written = 0;
    while (written < out.size()) {
        if (frame_ >= elementEnd_) {
            if (!enterElement()) {
                break;
            }
            continue;
        }
        std::int64_t until = elementEnd_;
        std::int16_t level = 0;
        if (frame_ < soundEnd_) {
            while (frame_ - elementStart_ >= flip_) {
                ++half_;
                flip_ = firstFrameOfHalf(half_ + 1, ticksPerHalf_);
            }
            until = std::min(soundEnd_, elementStart_ + flip_);
            level =
                (half_ & 1) == 0 ? kSquareAmplitude : static_cast<std::int16_t>(-kSquareAmplitude);
        }
        const auto count = static_cast<std::size_t>(std::min<std::int64_t>(
            until - frame_, static_cast<std::int64_t>(out.size() - written)));
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(written), count, level);
        written += count;
        frame_ += static_cast<std::int64_t>(count);
    }
    return written;
}

} // namespace quillon
