#pragma once

#include "quillon/MidiParts.h"
#include "quillon/MidiReader.h"
#include "quillon/Tune.h"

#include <cstddef>
#include <span>

namespace quillon {

// The one voice of a MIDI file that becomes the tune.
//
// The part: one of midiParts(file), by default defaultMidiPart's choice. A track named for the
// tune wins ("Melody", "Lead 1", "主旋律"); else, of the parts that mostly sound one note at a
// time, the one with the highest mean pitch, so that a melody beats a busier chord-and-bass
// track; when no part is like that, the highest mean pitch. Within the part the top voice: at
// any moment the highest sounding note; a note sounds until its note-off or until a higher
// note, or a later note of the same pitch, takes over, and comes back when that one ends while
// it still sounds.
//
// Silences between the top voice's notes shorter than 50 ms are dropped, the note before them
// lasting until the next one starts; longer ones become rests. The silence before the first
// note is left out. What was left out (other parts, drums, notes under the top voice) is in the
// tune's report. No notes: no elements.
Tune topVoice(const MidiFile& file);

// The same with the part `chosen` of `parts`, which are midiParts(file); no elements when
// `chosen` is not one of them.
Tune topVoice(const MidiFile& file, std::span<const MidiPart> parts, std::size_t chosen);

} // namespace quillon
