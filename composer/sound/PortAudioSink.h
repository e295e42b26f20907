#pragma once

#include "PortAudioWorker.h"
#include "SoundPlay.h"
#include "quillon/SoundSink.h"

#include <memory>
#include <optional>

namespace quillon {

// The default sound output through PortAudio: one mono 16-bit stream at 48 kHz (or the
// device's own rate). On Linux that is ALSA's default device, which the desktop's sound server
// (PulseAudio, or PipeWire's PulseAudio service) takes over through its ALSA plugin.
//
// Every call returns at once: PortAudio is called only on the sink's worker thread, and this
// side reads what the worker and the audio callback publish in atomics. A worker that stays in
// one call too long (a sound server that stopped answering) is given up: the play waiting for
// it fails, and the next play or connect() starts a new worker. When the output is missing or
// went away, the worker looks for one once a second, and a play that may look (F5) probes the
// devices again, so a server that starts or comes back is used without a restart; a note click
// while none is known fails at once, at no cost. One stream serves the plays that follow each
// other, and closes a few seconds after the last.
//
// Call prepareSoundEnvironment() first thing in main().
class PortAudioSink final : public SoundSink {
public:
    using Settings = PortAudioWorker::Settings;

    PortAudioSink() : PortAudioSink(Settings{}) {}
    explicit PortAudioSink(Settings settings);
    // Closes the output, waiting half a second at most for a worker that does not answer.
    ~PortAudioSink() override;
    PortAudioSink(const PortAudioSink&) = delete;
    PortAudioSink& operator=(const PortAudioSink&) = delete;

    void connect() override;
    std::uint64_t play(SoundSourceFactory make, WhenNoOutput whenNone) override;
    void stop() override;
    SoundStatus status() const override;

    // The output's delay as its stream last reported it, in seconds; 0 before a stream played.
    double outputLatency() const;

private:
    // The worker, a new one if the last has stopped answering.
    PortAudioWorker& worker();

    Settings settings_;
    // Replaced when it stops answering, even by status().
    mutable std::unique_ptr<PortAudioWorker> worker_;
    std::shared_ptr<SoundPlay> current_;
    std::uint64_t plays_ = 0;
    // The most heard of the current play so far: the listener never goes back.
    mutable std::int64_t heard_ = 0;
    // The current play failed here, not on the worker: the worker did not answer.
    struct Lost {
        SoundProblem problem;
        SoundCause cause;
        std::string detail;
    };
    mutable std::optional<Lost> lost_;
};

} // namespace quillon
