#pragma once

#include "quillon/MidiReader.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A part of a MIDI file that can become the tune: a track (format 1) or a channel (format 0)
// with notes, channel 10 (drums) left out everywhere.
struct MidiPart {
    // Format 1: the track's index in the file; format 0: 0.
    std::size_t track = 0;
    // Format 0: the part's channel, 0..15; format 1: unused.
    int channel = 0;
    // Format 1: the track's name; format 0: empty (channels have no names).
    std::string name;
    // The channels its notes are on, 0..15 in ascending order, never 9.
    std::vector<int> channels;
    // Note-ons, and those of them that begin while no other note of the part sounds (a note
    // that ends on the tick the next begins does not sound then; one struck together with
    // another does).
    std::int64_t notes = 0;
    std::int64_t notesAlone = 0;
    // Of all its notes.
    std::int64_t pitchSum = 0;
    int lowest = 0;
    int highest = 0;

    // Whether the part mostly sounds one note at a time: at least 90 % of its notes alone.
    bool mostlyOneAtATime() const { return notesAlone * 10 >= notes * 9; }
};

// The parts, in file order (format 1) or by channel (format 0). None when the file has no
// notes but drums.
std::vector<MidiPart> midiParts(const MidiFile& file);

// Whether a track's name says it holds the tune: melody, lead, vocal, voice or tune as a word
// in any case ("Lead 1", "MELODY", not "Leader"), or 旋律 or 主旋律 (UTF-8) anywhere in it.
bool isMelodyName(std::string_view name);

// The part that becomes the tune unless another is asked for: the parts with a melody name if
// there are any, else all; among them those that mostly sound one note at a time if there are
// any, and of those the highest mean pitch; ties to more notes, then the earlier part. The
// index into `parts`, which must not be empty.
std::size_t defaultMidiPart(std::span<const MidiPart> parts);

} // namespace quillon
