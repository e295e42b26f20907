#include "SoundThreadPriority.h"

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace quillon {

namespace {

#if defined(__linux__)
// Below PulseAudio's own default (5), so the server's threads still come first.
constexpr int kSoundPriority = 4;
#endif

} // namespace

SoundThreadPriority::SoundThreadPriority() noexcept {
#if defined(__linux__)
    sched_param old{};
    if (pthread_getschedparam(pthread_self(), &policy_, &old) != 0) {
        return;
    }
    priority_ = old.sched_priority;
    sched_param raisedTo{};
    raisedTo.sched_priority = kSoundPriority;
    raised_ = pthread_setschedparam(pthread_self(), SCHED_RR, &raisedTo) == 0;
#endif
}

SoundThreadPriority::~SoundThreadPriority() {
#if defined(__linux__)
    if (raised_) {
        sched_param old{};
        old.sched_priority = priority_;
        pthread_setschedparam(pthread_self(), policy_, &old);
    }
#endif
}

} // namespace quillon
