#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

// Where the composer's sound goes: one mono 16-bit stream that plays one buffer at a time. All
// calls come from one thread (the window's); an implementation that plays on a thread of its own
// keeps that thread away from everything but the buffer it was given.
class SoundSink {
public:
    virtual ~SoundSink() = default;

    // Connects to the sound output, at the first call only; later calls return the first
    // answer. False when there is no device or no sound server; error() then says why. Must not
    // hang or crash without sound hardware.
    virtual bool open() = 0;

    // Why open() or play() failed, as a sentence for the user; empty when nothing failed.
    virtual std::string error() const = 0;

    // Frames per second that play() expects; 0 before a successful open().
    virtual int sampleRate() const = 0;

    // Cuts off whatever plays and starts `samples` (mono, at sampleRate()) from its first frame.
    // False when the sink is not open or the output refuses; nothing plays then.
    virtual bool play(std::vector<std::int16_t> samples) = 0;

    // Cuts the sound off at once. Harmless when nothing plays.
    virtual void stop() = 0;

    // True from play() until the last frame has been heard or stop().
    virtual bool playing() const = 0;

    // Frames of the current (or last) buffer the listener has heard so far: the output's
    // latency taken off where it tells it, never more than the buffer, never going back while
    // one buffer plays. The window polls it to highlight the element being heard.
    virtual std::int64_t heardFrames() const = 0;
};

} // namespace quillon
