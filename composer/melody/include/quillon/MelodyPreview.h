#pragma once

#include "quillon/MelodyReader.h"
#include "quillon/MusicCode.h"
#include "quillon/SoundSink.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// A place in the text: [begin, end) in UTF-16 code units.
struct TextSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// The composer's preview: plays a melody, or one clicked note, through a sound sink, streaming
// it, and tells which element is being heard. Every call comes from the window's thread and
// returns at once.
class MelodyPreview {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The clock times how long a play makes no progress; tests give a fake one.
    explicit MelodyPreview(SoundSink& sink, Clock clock = &std::chrono::steady_clock::now);

    enum class Outcome {
        // Handed to the sink; poll() tells how it goes.
        Started,
        // The melody holds no element that plays (nothing, or a 0 first).
        NothingToPlay,
    };

    // Plays `melody` from its first element, cutting off whatever plays. Keeps what it needs of
    // the melody (codes and where they stand), so the caller may drop it.
    Outcome playMelody(const Melody& melody);

    // Sounds one note, its pitch for its length, cutting off whatever plays. A rest, a code
    // without pitch or 0 cuts off and stays silent. Nothing is reported: a click without sound
    // is still a click.
    void soundNote(MusicCode code);

    void stop();

    struct Progress {
        // A melody play is on: starting, or being heard.
        bool playing = false;
        // The element being heard, where it stands in the text that was read.
        std::optional<TextSpan> heard;
        // The melody could not be heard (no output, or it stopped making progress for a second):
        // reported by one poll, after which the play is over.
        SoundProblem problem = SoundProblem::None;
        SoundCause cause = SoundCause::None;
        std::string detail;
    };

    // Where the melody play stands; the caller polls it while `playing`.
    Progress poll();

    // How long a melody may be heard without moving before poll() gives up on it.
    static constexpr std::chrono::seconds kStallLimit{1};

private:
    // Forgets the melody play: poll() says nothing plays.
    void endMelody();
    std::optional<TextSpan> elementAt(std::int64_t frame, int sampleRate) const;

    SoundSink& sink_;
    Clock clock_;

    // The melody being played: for each element where it starts (ms from the melody's start;
    // one more entry for the end) and where it stands in the text.
    std::vector<std::int64_t> startMillis_;
    std::vector<TextSpan> spans_;
    // The sink's number for the melody play; 0 when no melody plays.
    std::uint64_t melodyPlay_ = 0;

    // The last progress seen, and when: a play that shows none for kStallLimit has stalled.
    SoundStatus::Phase lastPhase_ = SoundStatus::Phase::Idle;
    std::int64_t lastHeard_ = -1;
    std::chrono::steady_clock::time_point lastMove_;
};

} // namespace quillon
