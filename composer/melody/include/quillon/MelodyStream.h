#pragma once

#include "quillon/MusicCode.h"
#include "quillon/SoundSink.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace quillon {

// Rates from 1 Hz to 1 MHz are played; any other gives nothing.
inline constexpr int kMaxSampleRate = 1'000'000;

// Frame at which `millis` from the melody's start falls: floor(millis * rate / 1000), so that
// rounding never adds up over a long melody.
constexpr std::int64_t frameAtMillis(std::int64_t millis, int sampleRate) {
    return millis * sampleRate / 1000;
}

// A melody's samples as the firmware plays it, made as they are pulled: a cursor over the codes
// that holds one element's state, whatever the melody's length. Element k starts at frame
// floor(T_k * rate / 1000), T_k the sum of the lengths before it in ms; a note is a square wave
// at the timer's pitch whose sign flips at every multiple of N µs from the note's start, for its
// length less the gap, then silence; rests and indexes without pitch are silent for their whole
// length. The stream ends at the first 0 or after the last code.
class MelodyStream final : public SoundSource {
public:
    // The codes are shared, not copied: whoever made them may keep them to tell what is heard.
    MelodyStream(std::shared_ptr<const std::vector<MusicCode>> codes, int sampleRate);

    // One element alone, from its start to its end (sound and gap), for a clicked note.
    static std::unique_ptr<MelodyStream> note(MusicCode code, int sampleRate);

    std::size_t fill(std::span<std::int16_t> out) override;

private:
    // Sets up the next element; false after the last.
    bool enterElement();

    std::shared_ptr<const std::vector<MusicCode>> codes_;
    int sampleRate_;
    std::size_t next_ = 0;
    std::int64_t startMillis_ = 0;
    std::int64_t frame_ = 0;

    // The element being played, in frames from the melody's start.
    std::int64_t elementStart_ = 0;
    std::int64_t soundEnd_ = 0;
    std::int64_t elementEnd_ = 0;
    // Half period `half_` of the square wave ends at frame elementStart_ + flip_.
    std::int64_t ticksPerHalf_ = 0;
    std::int64_t half_ = 0;
    std::int64_t flip_ = 0;
};

} // namespace quillon
