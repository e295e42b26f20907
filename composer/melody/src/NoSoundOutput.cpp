#include "quillon/NoSoundOutput.h"

namespace quillon {

std::uint64_t NoSoundOutput::play(SoundSourceFactory /*make*/, WhenNoOutput /*whenNone*/) {
    status_ = SoundStatus{};
    status_.play = ++plays_;
    status_.phase = SoundStatus::Phase::Failed;
    status_.problem = SoundProblem::NoOutput;
    status_.cause = SoundCause::NoOutputHere;
    return status_.play;
}

void NoSoundOutput::stop() {
    status_.phase = SoundStatus::Phase::Idle;
    status_.problem = SoundProblem::None;
    status_.cause = SoundCause::None;
}

} // namespace quillon
