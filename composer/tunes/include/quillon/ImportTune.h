#pragma once

#include "quillon/ImportError.h"
#include "quillon/ImportReport.h"
#include "quillon/MusicCode.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace quillon {

enum class TuneFormat { Rtttl, Midi };

struct ImportedTune {
    TuneFormat format = TuneFormat::Rtttl;
    // Notes and rests, without the terminating 0x00; never empty.
    std::vector<MusicCode> codes;
    // Everything that had to change, reading and conversion together.
    ImportReport report;
};

using ImportResult = std::variant<ImportError, ImportedTune>;

// One of the tunes a file offers: a track (MIDI format 1), a channel (format 0) or a tune of
// an RTTTL collection, as read, before conversion.
struct TuneCandidate {
    // The track's or the tune's name, its bytes as in the file; empty when it has none.
    std::string name;
    // MIDI: the channels of its notes as users number them, 1..16; RTTTL: none.
    std::vector<int> channels;
    // Notes (MIDI note-ons, RTTTL notes without the pauses).
    std::int64_t notes = 0;
    // The lowest and highest MIDI note numbers (60 = C4); -1 both when it has no notes.
    int lowest = -1;
    int highest = -1;
};

struct TuneCandidates {
    TuneFormat format = TuneFormat::Rtttl;
    // In file order (format 0: by channel); never empty.
    std::vector<TuneCandidate> list;
    // The one importTune(bytes) takes.
    std::size_t defaultIndex = 0;
};

using CandidatesResult = std::variant<ImportError, TuneCandidates>;

// A file's bytes as music codes: a Standard MIDI File when they start with "MThd", RTTTL text
// otherwise (see readMidi, topVoice, readRtttlTunes and convertTune for the rules). The
// default candidate: for MIDI defaultMidiPart's, for RTTTL the first tune.
ImportResult importTune(std::span<const std::uint8_t> bytes);

// The same with the candidate at `index` in listTunes(bytes).list; NoSuchTune when there is
// none there.
ImportResult importTune(std::span<const std::uint8_t> bytes, std::size_t index);

// What the file offers to import, without converting any of it. The errors are importTune's
// but TooLong.
CandidatesResult listTunes(std::span<const std::uint8_t> bytes);

// A MIDI note number as a name with sharps: 60 is "C4", 61 "C#4", 69 "A4" (440 Hz).
std::string noteName(int pitch);

} // namespace quillon
