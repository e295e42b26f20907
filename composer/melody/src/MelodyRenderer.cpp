#include "quillon/MelodyRenderer.h"

#include "quillon/SoundConvention.h"

#include <algorithm>

namespace quillon {
namespace {

std::int64_t frameAt(std::int64_t millis, int sampleRate) {
    return millis * sampleRate / 1000;
}

// Writes one element at frame `start` of `out`, which already has room up to its end frame.
void renderElement(MusicCode code, std::int64_t startMillis, int sampleRate,
                   std::vector<std::int16_t>& out, ElementTiming& timing) {
    const std::int64_t length = durationMillis(durationCode(code));
    timing.startFrame = frameAt(startMillis, sampleRate);
    timing.endFrame = frameAt(startMillis + length, sampleRate);
    const std::int64_t halfPeriod = halfPeriodMicros(noteIndex(code));
    if (halfPeriod == 0) {
        timing.soundEndFrame = timing.startFrame;
        return;
    }
    timing.soundEndFrame = frameAt(startMillis + length - kGapMillis, sampleRate);
    // Frame f is at f / rate seconds from the note's start and lies in half period
    // floor(f * 10^6 / (rate * N)), the half periods counted in µs. Half period h therefore
    // covers the frames from ceil(h * rate * N / 10^6) on; integers only, so the pitch is exact
    // over any length.
    const std::int64_t ticksPerHalf = static_cast<std::int64_t>(sampleRate) * halfPeriod;
    const std::int64_t frames = timing.soundEndFrame - timing.startFrame;
    const auto firstFrameOf = [ticksPerHalf](std::int64_t half) {
        return (half * ticksPerHalf + 999'999) / 1'000'000;
    };
    std::int16_t* first = out.data() + timing.startFrame;
    for (std::int64_t half = 0, from = 0; from < frames; ++half) {
        const std::int64_t to = std::min(frames, firstFrameOf(half + 1));
        const auto level =
            static_cast<std::int16_t>((half & 1) == 0 ? kSquareAmplitude : -kSquareAmplitude);
        std::fill(first + from, first + to, level);
        from = to;
    }
}

bool validRate(int sampleRate) {
    return sampleRate > 0 && sampleRate <= kMaxSampleRate;
}

} // namespace

RenderedMelody renderMelody(std::span<const MusicCode> codes, int sampleRate) {
    RenderedMelody result;
    if (!validRate(sampleRate)) {
        return result;
    }
    std::int64_t totalMillis = 0;
    std::size_t count = 0;
    for (; count < codes.size() && codes[count] != 0; ++count) {
        totalMillis += durationMillis(durationCode(codes[count]));
    }
    result.samples.assign(static_cast<std::size_t>(frameAt(totalMillis, sampleRate)), 0);
    result.timings.resize(count);
    std::int64_t startMillis = 0;
    for (std::size_t k = 0; k < count; ++k) {
        result.timings[k].element = k;
        renderElement(codes[k], startMillis, sampleRate, result.samples, result.timings[k]);
        startMillis += durationMillis(durationCode(codes[k]));
    }
    return result;
}

std::vector<std::int16_t> renderNote(MusicCode code, int sampleRate) {
    return renderMelody(std::span<const MusicCode>(&code, 1), sampleRate).samples;
}

} // namespace quillon
