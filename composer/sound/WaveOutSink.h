#pragma once

#include "quillon/SoundSink.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace quillon::win32 {

// The composer's sound output on Windows: one mono 16-bit stream through waveOut to the
// system's default output, streamed from the source on a thread of the sink's own. Every call
// from the window's thread only leaves a request and returns at once; opening the device,
// resetting it and filling its buffers all happen on the sink's thread, so that a device that
// hangs or goes away never freezes the window. Without an output a play fails for want of one
// and the next play looks again (a click no sooner than a second after the last look), so an
// output that appears later is used.
class WaveOutSink final : public SoundSink {
public:
    WaveOutSink();
    ~WaveOutSink() override;
    WaveOutSink(const WaveOutSink&) = delete;
    WaveOutSink& operator=(const WaveOutSink&) = delete;

    void connect() override;
    std::uint64_t play(SoundSourceFactory make, WhenNoOutput whenNone) override;
    void stop() override;
    SoundStatus status() const override;

private:
    struct Device;

    // What the window's thread asks; the sink's thread takes it.
    struct Requests {
        bool connect = false;
        bool quit = false;
        bool stop = false;
        std::uint64_t play = 0;
        SoundSourceFactory make;
        WhenNoOutput whenNone = WhenNoOutput::LookAgain;
    };

    void run();
    void serve(Requests requests);
    void startPlay(std::uint64_t play, const SoundSourceFactory& make, WhenNoOutput whenNone);
    void feed();
    void publish(const SoundStatus& status);

    HANDLE wake_;
    std::unique_ptr<Device> device_;
    mutable std::mutex mutex_;
    Requests requests_;
    SoundStatus status_;
    std::uint64_t plays_ = 0;
    std::thread thread_;
};

} // namespace quillon::win32
