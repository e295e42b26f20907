#pragma once

#include "SoundPlay.h"

#include <chrono>
#include <memory>
#include <thread>

namespace quillon {

// The thread that makes every PortAudio call of a PortAudioSink: initializing and probing the
// devices, opening, starting and aborting streams. The owner's thread only posts requests and
// reads atomics, so a call that hangs (a sound server that stopped answering) holds up this
// thread alone: the owner sees that it has been busy too long, abandons it and starts another.
//
// One stream serves play after play: a play that comes while it runs is handed to its callback,
// which starts it in its next buffer, so that note clicks cost no stream each. The stream closes
// once nothing has played for a few seconds. A stream is opened just before it starts: one
// opened while the server was there and started after it died never returns from
// Pa_StartStream (PortAudio's ALSA code waits for a thread that has failed), whereas opening
// fails at once.
//
// Without an output, the thread looks for one once a second, cheaply (see soundOutputSigns()),
// and probes the devices again only when the look has changed; plays that may not wait for a
// probe fail at once meanwhile.
class PortAudioWorker {
public:
    struct Settings {
        // How far ahead of the listener the stream is fed, at first. PulseAudio's ALSA plugin
        // stops calling back when this is several times the server's own latency (0.12 s did
        // under PULSE_LATENCY_MSEC=30): a stream that never calls back is opened again with half
        // the latency, down to an eighth.
        double latencySeconds = 0.1;
        // Silence in front of the first play of a stream. A stream that joins a running
        // PulseAudio sink may lose its first few milliseconds (the server rewinds the sink to
        // start it sooner); it loses silence then, not the first note. A play handed to a
        // running stream needs none.
        double leadInSeconds = 0.05;
        // A PortAudio call that takes longer has hung.
        std::chrono::milliseconds answerLimit{1500};
        // A started stream that has not called back by then is taken to be stuck; so is a
        // running one that has not called back for this long.
        std::chrono::milliseconds firstCallbackLimit{500};
        // A stream that has played nothing for this long is closed.
        std::chrono::milliseconds idleClose{3000};
        // Without an output, how often the thread looks for one.
        std::chrono::milliseconds lookInterval{1000};
    };

    explicit PortAudioWorker(Settings settings);
    // Ends the thread as shutDown() does.
    ~PortAudioWorker();
    PortAudioWorker(const PortAudioWorker&) = delete;
    PortAudioWorker& operator=(const PortAudioWorker&) = delete;

    // Requests, taken in order; a play or stop cuts off whatever plays, and only the last of a
    // run of them that the thread has not got to yet is carried out.
    void connect();
    void play(std::shared_ptr<SoundPlay> play, WhenNoOutput whenNone);
    void stop();

    // True when the thread's last look found no output: a play that may not wait fails at once.
    bool knowsNoOutput() const;

    // True when the thread has been inside one PortAudio call for longer than answerLimit.
    bool stuck() const;
    // What stuck() found: the call, and how long it has taken, for the user's curious.
    std::string stuckDetail() const;

    // Closes the stream, lets PortAudio go and ends the thread, waiting for it up to `limit`;
    // a thread that does not end by then is left to itself, as abandon() does.
    void shutDown(std::chrono::milliseconds limit);
    // Leaves the thread to itself: if its call ever returns, it ends without another one.
    void abandon();

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace quillon
