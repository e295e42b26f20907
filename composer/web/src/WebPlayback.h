#pragma once

#include <cstdint>

namespace quillon {

// What the page's player last said about one play: how many of the source's frames it had
// handed to the destination, the context frame just after the last of them, and whether its
// queue had run dry there.
struct PlayerReport {
    std::int64_t played = 0;
    std::int64_t mark = 0;
    bool starved = false;
};

// How much of one play the listener has heard, from the player's reports and the audio
// context's clock. Plain C++, so that the reckoning is tested without a browser.
class WebPlayback {
public:
    // How far past its latest report the player is taken to have gone on: its reports come
    // every 1024 frames, and a queue that ran dry since is reported at once.
    static constexpr std::int64_t kReportSlack = 2048;

    // The source gave `frames` more, and ended there when `ended`.
    void rendered(std::int64_t frames, bool ended);

    // Frames heard when the listener hears context frame `heardFrame` (the context's time less
    // the output's latency, in frames); never less than an earlier answer.
    std::int64_t heard(const PlayerReport& report, std::int64_t heardFrame);

    // Everything the source gave has been heard, and it has ended.
    bool done() const { return ended_ && heard_ >= rendered_; }
    std::int64_t heardFrames() const { return heard_; }
    std::int64_t renderedFrames() const { return rendered_; }

private:
    std::int64_t rendered_ = 0;
    bool ended_ = false;
    std::int64_t heard_ = 0;
};

} // namespace quillon
