// Fuzz target for the MIDI reader: any bytes read without a crash and without reading past
// them; the notes that come back are in order and in range, and their top voice converts into
// valid music codes.
#include "TuneChecks.h"
#include "quillon/MidiReader.h"
#include "quillon/TopVoice.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillon::fuzz::check;
    const auto result = quillon::readMidi(std::span(data, size));
    const auto* file = std::get_if<quillon::MidiFile>(&result);
    if (!file) {
        return 0;
    }
    check(file->format == 0 || file->format == 1);
    for (const quillon::MidiTrack& track : file->tracks) {
        for (const quillon::MidiNote& note : track.notes) {
            check(note.channel >= 0 && note.channel < 16 && note.pitch >= 0 && note.pitch < 128);
            check(std::isfinite(note.endMs) && note.startMs >= 0 && note.startMs <= note.endMs);
        }
    }
    quillon::fuzz::checkTune(quillon::topVoice(*file));
    return 0;
}
