#include "quillon/NoSoundOutput.h"

namespace quillon {

std::uint64_t NoSoundOutput::play(SoundSourceFactory /*make*/) {
    status_ = SoundStatus{};
    status_.play = ++plays_;
    status_.phase = SoundStatus::Phase::Failed;
    status_.problem = SoundProblem::NoOutput;
    return status_.play;
}

void NoSoundOutput::stop() {
    if (status_.phase != SoundStatus::Phase::Failed) {
        status_.phase = SoundStatus::Phase::Idle;
    }
}

} // namespace quillon
