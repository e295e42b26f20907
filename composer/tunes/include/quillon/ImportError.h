#pragma once

namespace quillon {

// Why a file could not be brought in. Nothing is imported then.
enum class ImportError {
    // No bytes, or only white space.
    Empty,
    // Neither a Standard MIDI File (it does not start with "MThd") nor RTTTL text.
    NotATune,
    // The file ends early: an RTTTL name and settings with no notes part, or a MIDI file whose
    // header or chunks run past its end or that holds fewer tracks than its header says.
    CutShort,
    // A MIDI file of format 2 (independent sequences, no one tune to take).
    MidiFormat2,
    // A MIDI file whose content breaks the format: an unknown format, a header of the wrong
    // size, a zero time division, an event with no status, a number or an event that runs
    // past the end of its track.
    BrokenMidi,
    // Read without fault but with no note or rest to bring in (a MIDI file of drums alone).
    NoNotes,
    // More codes than the array may hold: with its 0x00 it must fit the 32 KiB of flash of the
    // largest chip the player builds for.
    TooLong,
    // A track or tune was asked for by a number the file has none for.
    NoSuchTune,
};

} // namespace quillon
