#pragma once

#include "quillon/SoundSink.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace quillon {

// One play of the PortAudio sink, shared by three threads without a lock: the owner's (which
// makes it and reads it), the sink's worker (which starts it) and PortAudio's audio thread
// (which feeds it). Each field has one writer, named beside it.
struct SoundPlay {
    SoundPlay(std::uint64_t number, SoundSourceFactory factory)
        : id(number), make(std::move(factory)) {}

    const std::uint64_t id;
    // Taken by the worker, which calls it once the output's rate is known.
    SoundSourceFactory make;

    enum class Stage : std::uint8_t { Queued, Started, Failed };
    // Worker. `problem`, `cause` and `detail` are written before Failed is stored and never
    // after.
    std::atomic<Stage> stage{Stage::Queued};
    SoundProblem problem = SoundProblem::None;
    SoundCause cause = SoundCause::None;
    std::string detail;
    // Worker, before Started: the rate, and the frames of silence in front of the source.
    std::atomic<int> sampleRate{0};
    std::atomic<std::int64_t> leadIn{0};

    // Audio thread: frames handed to the output, lead-in included; the frame at which the
    // source ended, or -1; when frame 0 reaches the listener (steady clock, ns) and the output's
    // delay (µs), as the latest callback reckoned them.
    std::atomic<std::int64_t> handed{0};
    std::atomic<std::int64_t> sourceEnd{-1};
    std::atomic<std::int64_t> originNanos{0};
    std::atomic<std::int64_t> delayMicros{0};
    std::atomic<bool> called{false};

    // Owner: cut off. The audio thread hands out silence from its next callback on.
    std::atomic<bool> stopped{false};

    // Frames of the source heard at `nowNanos` (steady clock): the lead-in taken off, never more
    // than was handed out or than the source holds. Not monotonic by itself: the estimate of
    // when frame 0 is heard improves as the output reports its delay.
    std::int64_t heardAt(std::int64_t nowNanos) const;
    // Whether all of the source has been heard once `heard` frames are.
    bool endHeard(std::int64_t heard) const;
};

// The steady clock in nanoseconds, as SoundPlay keeps time.
std::int64_t steadyNanos();

} // namespace quillon
