#pragma once

#include <cstdint>
#include <vector>

namespace quillon {

// A kind of change that bringing a tune in made. The window and the console tool each word
// them in their own language; the order here is the order they are reported in.
enum class ChangeKind {
    // The whole tune moved by `value` semitones (-11..+11, positive upward) to put the most
    // notes on naturals; `count` notes.
    Transposed,
    // Then by `value` whole octaves (positive upward) to put the most notes inside C3-B6;
    // `count` notes.
    OctaveMoved,
    // `count` notes still sharp after that took the natural below them.
    TookNaturalBelow,
    // `count` notes still outside C3-B6 moved into it by whole octaves.
    MovedIntoRange,
    // `count` notes whose length changed (by half a millisecond or more) to the nearest length
    // a code or a chain of codes has.
    NoteLengthRounded,
    // The same for `count` rests.
    RestLengthRounded,
    // `count` notes longer than 2,000 ms became chains of codes, struck again at each code;
    // `value` codes were added for them.
    NoteSplit,
    // `count` rests longer than 2,000 ms became chains of rest codes; `value` codes added.
    RestSplit,
    // MIDI: `count` silences shorter than 50 ms dropped, the note before taking their time.
    ShortSilenceDropped,
    // MIDI: the silence of `value` ms (rounded) before the first note left out; `count` is 1.
    LeadingSilenceLeftOut,
    // MIDI: `count` notes of the part taken that never were its highest sounding note.
    NotesUnderTopVoice,
    // MIDI format 1: `count` notes in `value` other tracks left out.
    OtherTracksLeftOut,
    // MIDI format 0: `count` notes in `value` other channels left out.
    OtherChannelsLeftOut,
    // MIDI: `count` notes on channel 10 (drums) left out.
    DrumNotesLeftOut,
    // RTTTL: `count` tokens that are no note, pause or setting skipped (for a setting, its
    // earlier value or default stays).
    TokenSkipped,
    // RTTTL: `count` other tunes of the file (one a line in ring-tone collections) left out.
    OtherTunesLeftOut,
};

struct Change {
    ChangeKind kind;
    std::int64_t count = 0;
    std::int64_t value = 0;

    friend bool operator==(const Change&, const Change&) = default;
};

// What had to change to bring a tune in: one entry per kind that occurred, in the order of
// ChangeKind. Empty when the tune came in exactly as written.
class ImportReport {
public:
    // Adds `count` and `value` to the kind's; a count of 0 adds nothing.
    void add(ChangeKind kind, std::int64_t count, std::int64_t value = 0);
    void add(const ImportReport& other);

    const std::vector<Change>& changes() const { return changes_; }
    bool empty() const { return changes_.empty(); }
    // The count of `kind`, 0 when it did not occur.
    std::int64_t count(ChangeKind kind) const;

private:
    std::vector<Change> changes_;
};

} // namespace quillon
