#include "quillon/MelodyPreview.h"

#include <algorithm>
#include <utility>

namespace quillon {

MelodyPreview::MelodyPreview(SoundSink& sink) : sink_(sink) {}

MelodyPreview::Outcome MelodyPreview::playMelody(std::u16string_view text) {
    stop();
    if (!sink_.open()) {
        return Outcome::NoSound;
    }
    melody_ = readMelody(text);
    const std::vector<MusicCode> codes = playedCodes(melody_);
    if (codes.empty()) {
        return Outcome::NothingToPlay;
    }
    rendered_ = renderMelody(codes, sink_.sampleRate());
    if (!sink_.play(std::move(rendered_.samples))) {
        rendered_ = {};
        return Outcome::NoSound;
    }
    rendered_.samples = {};
    melodyPlays_ = true;
    return Outcome::Playing;
}

void MelodyPreview::soundNote(MusicCode code) {
    stop();
    if (!sink_.open()) {
        return;
    }
    std::vector<std::int16_t> samples = renderNote(code, sink_.sampleRate());
    if (!samples.empty()) {
        sink_.play(std::move(samples));
    }
}

void MelodyPreview::stop() {
    if (melodyPlays_ || sink_.playing()) {
        sink_.stop();
    }
    melodyPlays_ = false;
}

bool MelodyPreview::playingMelody() const {
    return melodyPlays_ && sink_.playing();
}

std::optional<TextSpan> MelodyPreview::heardElement() const {
    if (!playingMelody()) {
        return std::nullopt;
    }
    const std::int64_t heard = sink_.heardFrames();
    const auto& timings = rendered_.timings;
    // The first element that ends after the frame being heard.
    const auto at = std::upper_bound(
        timings.begin(), timings.end(), heard,
        [](std::int64_t frame, const ElementTiming& timing) { return frame < timing.endFrame; });
    if (at == timings.end() || heard < at->startFrame) {
        return std::nullopt;
    }
    const MelodyElement& element = melody_.elements[at->element];
    return TextSpan{element.begin, element.end};
}

} // namespace quillon
