#include "quillon/MelodyPreview.h"

#include "quillon/MelodyStream.h"
#include "quillon/SoundConvention.h"

#include <algorithm>
#include <utility>

namespace quillon {

MelodyPreview::MelodyPreview(SoundSink& sink, Clock clock)
    : sink_(sink), clock_(std::move(clock)) {}

MelodyPreview::Outcome MelodyPreview::playMelody(const Melody& melody) {
    stop();
    const std::shared_ptr<const std::vector<MusicCode>> codes =
        std::make_shared<const std::vector<MusicCode>>(playedCodes(melody));
    if (codes->empty()) {
        return Outcome::NothingToPlay;
    }
    startMillis_.assign(1, 0);
    startMillis_.reserve(codes->size() + 1);
    spans_.clear();
    spans_.reserve(codes->size());
    for (std::size_t k = 0; k < codes->size(); ++k) {
        startMillis_.push_back(startMillis_.back() + durationMillis(durationCode((*codes)[k])));
        spans_.push_back({melody.elements[k].begin, melody.elements[k].end});
    }
    // The codes go to the sink's thread with the factory; the stream shares them.
    // F5 looks for an output again: the user is told when there is none.
    melodyPlay_ = sink_.play(
        [codes](int sampleRate) -> std::unique_ptr<SoundSource> {
            return std::make_unique<MelodyStream>(codes, sampleRate);
        },
        WhenNoOutput::LookAgain);
    lastPhase_ = SoundStatus::Phase::Idle;
    lastHeard_ = -1;
    lastMove_ = clock_();
    return Outcome::Started;
}

void MelodyPreview::soundNote(MusicCode code) {
    endMelody();
    if (code == 0 || halfPeriodMicros(noteIndex(code)) == 0) {
        sink_.stop();
        return;
    }
    // A click does not wait for a look: without a known output it is silent at no cost.
    sink_.play(
        [code](int sampleRate) -> std::unique_ptr<SoundSource> {
            return MelodyStream::note(code, sampleRate);
        },
        WhenNoOutput::Fail);
}

void MelodyPreview::stop() {
    endMelody();
    sink_.stop();
}

void MelodyPreview::endMelody() {
    melodyPlay_ = 0;
    startMillis_ = {};
    spans_ = {};
}

MelodyPreview::Progress MelodyPreview::poll() {
    Progress progress;
    if (melodyPlay_ == 0) {
        return progress;
    }
    const SoundStatus status = sink_.status();
    using Phase = SoundStatus::Phase;
    if (status.play != melodyPlay_ || status.phase == Phase::Idle || status.phase == Phase::Done) {
        endMelody();
        return progress;
    }
    if (status.phase == Phase::Failed) {
        progress.problem =
            status.problem == SoundProblem::None ? SoundProblem::OutputFailed : status.problem;
        progress.cause = status.cause;
        progress.detail = status.detail;
        endMelody();
        return progress;
    }
    const auto now = clock_();
    if (status.phase != lastPhase_ || status.heardFrames > lastHeard_) {
        lastPhase_ = status.phase;
        lastHeard_ = status.heardFrames;
        lastMove_ = now;
    } else if (status.phase == Phase::Playing && now - lastMove_ >= kStallLimit) {
        // The output took the melody but stopped playing it: say so rather than keep an
        // element lit for ever.
        sink_.stop();
        endMelody();
        progress.problem = SoundProblem::Stalled;
        return progress;
    }
    progress.playing = true;
    if (status.phase == Phase::Playing) {
        progress.heard = elementAt(status.heardFrames, status.sampleRate);
    }
    return progress;
}

std::optional<TextSpan> MelodyPreview::elementAt(std::int64_t frame, int sampleRate) const {
    if (startMillis_.size() < 2 || frame < 0 ||
        frame >= frameAtMillis(startMillis_.back(), sampleRate)) {
        return std::nullopt;
    }
    // The first element that starts after `frame`; the one before it is being heard.
    const auto after = std::upper_bound(startMillis_.begin(), startMillis_.end() - 1, frame,
                                        [sampleRate](std::int64_t f, std::int64_t millis) {
                                            return f < frameAtMillis(millis, sampleRate);
                                        });
    return spans_[static_cast<std::size_t>(after - startMillis_.begin()) - 1];
}

} // namespace quillon
