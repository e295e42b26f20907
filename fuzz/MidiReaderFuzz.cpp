// Fuzz target for the MIDI reader: any bytes read without a crash and without reading past
// them; the notes that come back are in order and in range, the default part is one of the
// parts, and the top voice of every part converts into valid music codes.
#include "TuneChecks.h"
#include "quillon/MidiReader.h"
#include "quillon/TopVoice.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

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
    const std::vector<quillon::MidiPart> parts = quillon::midiParts(*file);
    if (parts.empty()) {
        quillon::fuzz::check(quillon::topVoice(*file).elements.empty());
        return 0;
    }
    check(quillon::defaultMidiPart(parts) < parts.size());
    for (std::size_t part = 0; part < parts.size(); ++part) {
        check(parts[part].notes > 0 && parts[part].notesAlone <= parts[part].notes);
        quillon::fuzz::checkTune(quillon::topVoice(*file, parts, part));
    }
    return 0;
}
