#include "quillon/MelodyPreview.h"

#include "quillon/MelodyRenderer.h"
#include "quillon/SoundConvention.h"

#include <algorithm>
#include <utility>

// Interim: renders the whole melody before it plays. The streaming preview replaces it.
namespace quillon {
namespace {

class BufferSource final : public SoundSource {
public:
    explicit BufferSource(std::vector<std::int16_t> samples) : samples_(std::move(samples)) {}
    std::size_t fill(std::span<std::int16_t> out) override {
        const std::size_t n = std::min(out.size(), samples_.size() - next_);
        std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(next_), n, out.begin());
        next_ += n;
        return n;
    }

private:
    std::vector<std::int16_t> samples_;
    std::size_t next_ = 0;
};

} // namespace

MelodyPreview::MelodyPreview(SoundSink& sink, Clock clock) : sink_(sink), clock_(std::move(clock)) {}

MelodyPreview::Outcome MelodyPreview::playMelody(const Melody& melody) {
    stop();
    codes_ = playedCodes(melody);
    if (codes_.empty()) {
        return Outcome::NothingToPlay;
    }
    elements_ = melody.elements;
    const std::vector<MusicCode> codes = codes_;
    play_ = sink_.play([codes](int rate) -> std::unique_ptr<SoundSource> {
        return std::make_unique<BufferSource>(renderMelody(codes, rate).samples);
    });
    melody_ = true;
    return Outcome::Started;
}

void MelodyPreview::soundNote(MusicCode code) {
    stop();
    if (code == 0 || noteIndex(code) == 31) {
        return;
    }
    sink_.play([code](int rate) -> std::unique_ptr<SoundSource> {
        return std::make_unique<BufferSource>(renderNote(code, rate));
    });
}

void MelodyPreview::stop() {
    if (melody_ || sink_.status().phase == SoundStatus::Phase::Playing) {
        sink_.stop();
    }
    melody_ = false;
}

MelodyPreview::Progress MelodyPreview::poll() {
    Progress progress;
    if (!melody_) {
        return progress;
    }
    const SoundStatus status = sink_.status();
    if (status.play != play_) {
        progress.playing = true;
        return progress;
    }
    switch (status.phase) {
    case SoundStatus::Phase::Failed:
        melody_ = false;
        progress.problem = status.problem;
        progress.detail = status.detail;
        return progress;
    case SoundStatus::Phase::Done:
    case SoundStatus::Phase::Idle:
        melody_ = false;
        return progress;
    case SoundStatus::Phase::Starting:
        progress.playing = true;
        return progress;
    case SoundStatus::Phase::Playing:
        break;
    }
    progress.playing = true;
    if (status.sampleRate <= 0) {
        return progress;
    }
    const std::int64_t heardMillis = status.heardFrames * 1000 / status.sampleRate;
    std::int64_t start = 0;
    for (std::size_t k = 0; k < codes_.size(); ++k) {
        const std::int64_t end = start + durationMillis(durationCode(codes_[k]));
        if (heardMillis < end) {
            progress.heard = TextSpan{elements_[k].begin, elements_[k].end};
            break;
        }
        start = end;
    }
    return progress;
}

} // namespace quillon
