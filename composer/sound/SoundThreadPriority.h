#pragma once

namespace quillon {

// While one lives, threads that the calling thread starts run at a low realtime priority where
// the system allows it (Linux: SCHED_RR, granted to root or through RLIMIT_RTPRIO), as a
// desktop's sound server runs its own. The threads that feed the output (PortAudio's callback,
// the PulseAudio plugin's) are started inside Pa_OpenStream and Pa_StartStream and inherit the
// starter's policy, so a machine busy with other work does not delay them past a short buffer,
// which the listener hears as gaps. The calling thread gets its own policy back at the end.
// Where the system refuses, or elsewhere than Linux, it does nothing.
class SoundThreadPriority {
public:
    SoundThreadPriority() noexcept;
    ~SoundThreadPriority();
    SoundThreadPriority(const SoundThreadPriority&) = delete;
    SoundThreadPriority& operator=(const SoundThreadPriority&) = delete;

    // Whether the threads started meanwhile run at the raised priority.
    bool raised() const noexcept { return raised_; }

private:
    bool raised_ = false;
    int policy_ = 0;
    int priority_ = 0;
};

} // namespace quillon
