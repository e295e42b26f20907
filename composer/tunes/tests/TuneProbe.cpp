// Test harness: imports one file and prints what came of it, for the test scripts that write
// their files with other tools (MIDI files from python3-mido). Prints either
//   error <ImportError>
// or
//   format rtttl|midi
//   codes <hex> <hex> ...
//   <ChangeKind> <count> <value>     (one line per change)
#include "quillon/ImportTune.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

const char* errorName(quillon::ImportError error) {
    using E = quillon::ImportError;
    switch (error) {
    case E::Empty:
        return "Empty";
    case E::NotATune:
        return "NotATune";
    case E::CutShort:
        return "CutShort";
    case E::MidiFormat2:
        return "MidiFormat2";
    case E::BrokenMidi:
        return "BrokenMidi";
    case E::NoNotes:
        return "NoNotes";
    case E::TooLong:
        return "TooLong";
    }
    return "?";
}

const char* kindName(quillon::ChangeKind kind) {
    using K = quillon::ChangeKind;
    switch (kind) {
    case K::Transposed:
        return "Transposed";
    case K::OctaveMoved:
        return "OctaveMoved";
    case K::TookNaturalBelow:
        return "TookNaturalBelow";
    case K::MovedIntoRange:
        return "MovedIntoRange";
    case K::NoteLengthRounded:
        return "NoteLengthRounded";
    case K::RestLengthRounded:
        return "RestLengthRounded";
    case K::NoteSplit:
        return "NoteSplit";
    case K::RestSplit:
        return "RestSplit";
    case K::ShortSilenceDropped:
        return "ShortSilenceDropped";
    case K::LeadingSilenceLeftOut:
        return "LeadingSilenceLeftOut";
    case K::NotesUnderTopVoice:
        return "NotesUnderTopVoice";
    case K::OtherTracksLeftOut:
        return "OtherTracksLeftOut";
    case K::OtherChannelsLeftOut:
        return "OtherChannelsLeftOut";
    case K::DrumNotesLeftOut:
        return "DrumNotesLeftOut";
    case K::TokenSkipped:
        return "TokenSkipped";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tune_probe FILE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "tune_probe: cannot open %s\n", argv[1]);
        return 2;
    }
    const std::vector<char> chars{std::istreambuf_iterator<char>(in), {}};
    const std::vector<std::uint8_t> bytes(chars.begin(), chars.end());

    const quillon::ImportResult result = quillon::importTune(bytes);
    if (const auto* error = std::get_if<quillon::ImportError>(&result)) {
        std::printf("error %s\n", errorName(*error));
        return 0;
    }
    const auto& tune = std::get<quillon::ImportedTune>(result);
    std::printf("format %s\ncodes", tune.format == quillon::TuneFormat::Midi ? "midi" : "rtttl");
    for (const quillon::MusicCode code : tune.codes) {
        std::printf(" %02x", unsigned{code});
    }
    std::printf("\n");
    for (const quillon::Change& change : tune.report.changes()) {
        std::printf("%s %lld %lld\n", kindName(change.kind), static_cast<long long>(change.count),
                    static_cast<long long>(change.value));
    }
    return 0;
}
