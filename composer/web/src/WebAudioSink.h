#pragma once

#include "WebPlayback.h"
#include "quillon/SoundSink.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace quillon {

// The page's sound output: Web Audio, through the player in site/audio-worklet.js and its
// keeper in site/sound.js (globalThis.quillonSound). emscripten gives the core no thread of its
// own, so everything here runs on the page's thread: the player reports the frames it plays,
// and sound.js asks the sink for more (quillon_sound_pump) to keep the player's queue well
// ahead of it. A browser lets a page sound only after a click or a key; sound.js makes or
// resumes the audio context on the first one, and a play asked before any fails and says so.
//
// One per page: the JavaScript reaches it through the sink made last.
class WebAudioSink final : public SoundSink {
public:
    WebAudioSink();
    ~WebAudioSink() override;
    WebAudioSink(const WebAudioSink&) = delete;
    WebAudioSink& operator=(const WebAudioSink&) = delete;

    void connect() override;
    std::uint64_t play(SoundSourceFactory make, WhenNoOutput whenNone) override;
    void stop() override;
    SoundStatus status() const override;

    // Renders up to `frames` more of play `play` for the player; nothing when that play is no
    // longer the current one or its source has ended.
    void pump(std::uint64_t play, std::int64_t frames);

private:
    void fail(SoundProblem problem, SoundCause cause, std::string detail);

    std::uint64_t plays_ = 0;
    // The current play: its number, its source until it ends or is cut off, its rate.
    std::uint64_t current_ = 0;
    std::unique_ptr<SoundSource> source_;
    int sampleRate_ = 0;
    bool stopped_ = false;
    // Read by status(), which is const to its callers but follows the play as it goes.
    mutable WebPlayback playback_;
    struct Lost {
        SoundProblem problem;
        SoundCause cause;
        std::string detail;
    };
    mutable std::optional<Lost> lost_;
    std::vector<std::int16_t> buffer_;
};

} // namespace quillon
