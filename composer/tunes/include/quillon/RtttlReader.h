#pragma once

#include "quillon/ImportError.h"
#include "quillon/Tune.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillon {

struct RtttlTune {
    // The name before the first colon, blanks around it removed; its bytes as they are.
    std::string name;
    Tune tune;
};

// Reads an RTTTL ring tone, `name:settings:notes`, as bytes of ASCII or UTF-8 text (a UTF-8
// byte order mark is skipped).
//
// Settings are `d=` default duration (1, 2, 4, 8, 16, 32), `o=` default octave (one digit) and
// `b=` beats a minute (1 to 900), separated by commas, the `=` optional; a setting that is
// missing keeps its default, d=4, o=6, b=63. Unknown settings are ignored. A note is
// `[duration]note[#][.][octave][.]` with note c, d, e, f, g, a, b (or h for b) and p for a
// pause, at most one dot; octave 4 holds A at 440 Hz. A `d=`, `o=` or `b=` among the notes
// changes the default from there on. Spaces and line ends are ignored everywhere and any case
// is read. A token that is none of these is skipped and counted (ChangeKind::TokenSkipped).
//
// A quarter lasts 60,000 / b ms; a note of duration n lasts 4 / n quarters, dotted 1.5 times as
// long. Errors: Empty (only white space), NotATune (no colon, control characters, or a
// settings part that is no list of settings), CutShort (no second colon after valid settings),
// NoNotes (no note and no pause). Reads nothing outside `text`.
//
// A file may hold several tunes, as ring-tone collections keep one a line: a line that starts
// with `name:settings:` (both colons on it, settings as above) begins a new tune. The errors
// are the first tune's; a later tune with no notes is left out.
std::variant<std::vector<RtttlTune>, ImportError> readRtttlTunes(std::string_view text);

// The first tune of readRtttlTunes.
std::variant<Tune, ImportError> readRtttl(std::string_view text);

} // namespace quillon
