// Test harness: imports one file and prints what came of it, for the test scripts that write
// their files with other tools (MIDI files from python3-mido). Prints either
//   error <ImportError>
// or, first the candidates the file offers, one a line,
//   candidate <name or -> <channels as 2,3 or -> <notes> <lowest>-<highest> [default]
// then
//   format rtttl|midi
//   codes <hex> <hex> ...
//   <ChangeKind> <count> <value>     (one line per change)
#include "quillon/ImportTune.h"

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// By enum value, in the order of their declarations.
constexpr const char* kErrorNames[] = {"Empty",      "NotATune", "CutShort", "MidiFormat2",
                                       "BrokenMidi", "NoNotes",  "TooLong",  "NoSuchTune"};
constexpr const char* kKindNames[] = {
    "Transposed",           "OctaveMoved",           "TookNaturalBelow",   "MovedIntoRange",
    "NoteLengthRounded",    "RestLengthRounded",     "NoteSplit",          "RestSplit",
    "ShortSilenceDropped",  "LeadingSilenceLeftOut", "NotesUnderTopVoice", "OtherTracksLeftOut",
    "OtherChannelsLeftOut", "DrumNotesLeftOut",      "TokenSkipped",       "OtherTunesLeftOut"};
static_assert(std::size(kKindNames) ==
              static_cast<std::size_t>(quillon::ChangeKind::OtherTunesLeftOut) + 1);
static_assert(std::size(kErrorNames) ==
              static_cast<std::size_t>(quillon::ImportError::NoSuchTune) + 1);

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: tune_probe FILE [CANDIDATE-FROM-1]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "tune_probe: cannot open %s\n", argv[1]);
        return 2;
    }
    const std::vector<char> chars{std::istreambuf_iterator<char>(in), {}};
    const std::vector<std::uint8_t> bytes(chars.begin(), chars.end());

    const quillon::CandidatesResult listed = quillon::listTunes(bytes);
    if (const auto* candidates = std::get_if<quillon::TuneCandidates>(&listed)) {
        for (std::size_t i = 0; i < candidates->list.size(); ++i) {
            const quillon::TuneCandidate& c = candidates->list[i];
            std::string channels;
            for (const int channel : c.channels) {
                channels += (channels.empty() ? "" : ",") + std::to_string(channel);
            }
            std::printf("candidate %s %s %lld %d-%d%s\n", c.name.empty() ? "-" : c.name.c_str(),
                        channels.empty() ? "-" : channels.c_str(), static_cast<long long>(c.notes),
                        c.lowest, c.highest, i == candidates->defaultIndex ? " default" : "");
        }
    }
    const quillon::ImportResult result = argc == 3
                                             ? quillon::importTune(bytes, std::stoul(argv[2]) - 1)
                                             : quillon::importTune(bytes);
    if (const auto* error = std::get_if<quillon::ImportError>(&result)) {
        std::printf("error %s\n", kErrorNames[static_cast<std::size_t>(*error)]);
        return 0;
    }
    const auto& tune = std::get<quillon::ImportedTune>(result);
    std::printf("format %s\ncodes", tune.format == quillon::TuneFormat::Midi ? "midi" : "rtttl");
    for (const quillon::MusicCode code : tune.codes) {
        std::printf(" %02x", unsigned{code});
    }
    std::printf("\n");
    for (const quillon::Change& change : tune.report.changes()) {
        std::printf("%s %lld %lld\n", kKindNames[static_cast<std::size_t>(change.kind)],
                    static_cast<long long>(change.count), static_cast<long long>(change.value));
    }
    return 0;
}
