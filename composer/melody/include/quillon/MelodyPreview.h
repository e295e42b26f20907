#pragma once

#include "quillon/MelodyReader.h"
#include "quillon/MelodyRenderer.h"
#include "quillon/MusicCode.h"
#include "quillon/SoundSink.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// A place in the text: [begin, end) in UTF-16 code units.
struct TextSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// The composer's preview: plays the melody of a music code text, or one clicked note, through a
// sound sink, and tells which element is being heard. It keeps its own copy of what plays, so
// nothing here reads the text box again; every call comes from the window's thread.
class MelodyPreview {
public:
    enum class Outcome {
        Playing,
        // The text holds no element that plays (nothing, or a 0 first).
        NothingToPlay,
        // The sink could not open or play; soundError() says why.
        NoSound,
    };

    explicit MelodyPreview(SoundSink& sink);

    // Plays the melody from its first element, cutting off whatever plays.
    Outcome playMelody(std::u16string_view text);

    // Sounds one note, its pitch for its length, cutting off whatever plays. A rest or 0 cuts
    // off and stays silent. Nothing is reported: a click without sound is still a click.
    void soundNote(MusicCode code);

    void stop();

    // True while a melody (not a single note) is being heard.
    bool playingMelody() const;

    // Where the element being heard stands in the text that was played; none between plays,
    // after the end, or while a single note sounds.
    std::optional<TextSpan> heardElement() const;

    std::string soundError() const { return sink_.error(); }

private:
    SoundSink& sink_;
    Melody melody_;
    RenderedMelody rendered_;
    bool melodyPlays_ = false;
};

} // namespace quillon
