#pragma once

#include "quillon/ImportError.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace quillon {

// A note of a Standard MIDI File, its times taken through the tempo map.
struct MidiNote {
    // 0..15; 9 is channel 10, drums.
    int channel = 0;
    // MIDI note number, 60 = C4.
    int pitch = 0;
    // From the start of the file. A note-on without its note-off ends with its track;
    // a note that ends where it starts has startMs == endMs.
    double startMs = 0;
    double endMs = 0;

    friend bool operator==(const MidiNote&, const MidiNote&) = default;
};

struct MidiTrack {
    // The text of the track's first Sequence/Track Name event, its bytes as they are (usually
    // ASCII or UTF-8); empty when it has none.
    std::string name;
    // In the order of their note-ons.
    std::vector<MidiNote> notes;
};

struct MidiFile {
    // 0 or 1.
    int format = 0;
    // The MTrk chunks in file order.
    std::vector<MidiTrack> tracks;
};

// True when the bytes start with "MThd": the file is taken for MIDI whatever its name.
bool isMidiFile(std::span<const std::uint8_t> bytes);

// Reads a Standard MIDI File of format 0 or 1: the tempo map of all tracks (500,000 us a
// quarter until the first tempo event; SMPTE time divisions too), running status, note-on with
// velocity 0 as note-off (a note-off ends the oldest open note of its channel and pitch), and
// the first track name of each track kept, unknown chunks, other meta events and system exclusive
// messages skipped. A track ends at its End of Track event or at the end of its chunk. Errors:
// CutShort, MidiFormat2, BrokenMidi (see ImportError). Never reads outside `bytes`.
std::variant<MidiFile, ImportError> readMidi(std::span<const std::uint8_t> bytes);

} // namespace quillon
