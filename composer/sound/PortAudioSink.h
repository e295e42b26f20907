#pragma once

#include "quillon/SoundSink.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

// The default sound output through PortAudio: one mono 16-bit stream at 48 kHz (or the
// device's own rate). On Linux that is ALSA's default device, which the desktop's sound
// server (PulseAudio, or PipeWire's PulseAudio service) takes over through its ALSA plugin.
//
// PortAudio plays on a thread of its own. That thread reads only the buffer handed to play(),
// which nothing changes until the stream is stopped again, and writes only atomics; every
// call of this class comes from the owner's thread.
//
// ALSA and JACK report a missing device by printing dozens of lines to standard error; the
// sink silences both libraries' message handlers while it lives (set QUILLON_SOUND_DEBUG to
// keep them), and keeps JACK from starting a server.
class PortAudioSink final : public SoundSink {
public:
    // How much sound to keep buffered ahead of the listener, at least: more rides out a busy
    // machine without dropouts. A play() does not wait for it, since the buffer is filled at
    // once; it delays only what the stream is handed later.
    explicit PortAudioSink(double minLatencySeconds = 0.2);
    ~PortAudioSink() override;
    PortAudioSink(const PortAudioSink&) = delete;
    PortAudioSink& operator=(const PortAudioSink&) = delete;

    bool open() override;
    std::string error() const override { return error_; }
    int sampleRate() const override { return sampleRate_; }
    // An empty buffer stops what plays and succeeds without starting the stream.
    bool play(std::vector<std::int16_t> samples) override;
    void stop() override;
    bool playing() const override;
    std::int64_t heardFrames() const override;

    // What the output reported as its latency, in seconds; 0 before open().
    double outputLatency() const { return latency_; }

    // What the PortAudio thread shares with this one.
    struct Playback {
        std::vector<std::int16_t> samples;
        double sampleRate = 0;
        double latency = 0;
        // Silence handed out after the samples before the stream completes.
        std::int64_t tailFrames = 0;
        // Frames handed to the output so far, silence after the samples included.
        std::atomic<std::int64_t> nextFrame{0};
        // Stream time at which frame 0 of the buffer reaches the listener, once the first
        // callback has told it.
        std::atomic<double> origin{0};
        std::atomic<bool> originKnown{false};
    };

private:
    enum class State { Closed, Open, Failed };

    void halt();
    bool fail(std::string message);

    double minLatency_;
    State state_ = State::Closed;
    bool initialized_ = false;
    void* stream_ = nullptr;
    int sampleRate_ = 0;
    double latency_ = 0;
    std::string error_;
    std::unique_ptr<Playback> playback_;
    bool started_ = false;
    // Frames heard when the user stopped, and the most reported so far: never go back.
    std::int64_t stoppedAt_ = -1;
    mutable std::int64_t lastHeard_ = 0;
};

} // namespace quillon
