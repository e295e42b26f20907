#pragma once

#include "quillon/MidiReader.h"
#include "quillon/Tune.h"

namespace quillon {

// The one voice of a MIDI file that becomes the tune.
//
// The part: in format 1 the track, in format 0 the channel, with the most note-ons, channel 10
// (drums) left out everywhere; on a tie the first. Within it the top voice: at any moment the
// highest sounding note; a note sounds until its note-off or until a higher note, or a later
// note of the same pitch, takes over, and comes back when that one ends while it still sounds.
//
// Silences between the top voice's notes shorter than 50 ms are dropped, the note before them
// lasting until the next one starts; longer ones become rests. The silence before the first
// note is left out. What was left out is in the tune's report. No notes: no elements.
Tune topVoice(const MidiFile& file);

} // namespace quillon
