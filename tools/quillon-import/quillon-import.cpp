// quillon-import: prints an RTTTL ring tone or a Standard MIDI File as the music code array that
// the composer holds after Clear, the notes and End; what had to change goes to standard error,
// one line for each kind of change.
#include "quillon/ComposerText.h"
#include "quillon/ImportTune.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

namespace {

constexpr const char* kName = "quillon-import";

// "1 note", "3 notes".
std::string counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string steps(std::int64_t value, const char* one, const char* many) {
    const std::int64_t size = value < 0 ? -value : value;
    return counted(size, one, many) + (value < 0 ? " down" : " up");
}

std::string describe(const quillon::Change& change) {
    using quillon::ChangeKind;
    const std::int64_t n = change.count;
    switch (change.kind) {
    case ChangeKind::Transposed:
        return "transposed " + steps(change.value, "semitone", "semitones");
    case ChangeKind::OctaveMoved:
        return "moved " + steps(change.value, "octave", "octaves");
    case ChangeKind::TookNaturalBelow:
        return counted(n, "note", "notes") + " took the natural below";
    case ChangeKind::MovedIntoRange:
        return counted(n, "note", "notes") + " moved into C3-B6 by octaves";
    case ChangeKind::NoteLengthRounded:
        return counted(n, "note length", "note lengths") + " rounded";
    case ChangeKind::RestLengthRounded:
        return counted(n, "rest length", "rest lengths") + " rounded";
    case ChangeKind::NoteSplit:
        return counted(n, "note", "notes") + " split";
    case ChangeKind::RestSplit:
        return counted(n, "rest", "rests") + " split";
    case ChangeKind::ShortSilenceDropped:
        return counted(n, "silence", "silences") + " under 50 ms dropped";
    case ChangeKind::LeadingSilenceLeftOut:
        return "the silence of " + std::to_string(change.value) +
               " ms before the first note left out";
    case ChangeKind::NotesUnderTopVoice:
        return counted(n, "note", "notes") + " under the top voice left out";
    case ChangeKind::OtherTracksLeftOut:
        return counted(n, "note", "notes") + " in " +
               counted(change.value, "other track", "other tracks") + " left out";
    case ChangeKind::OtherChannelsLeftOut:
        return counted(n, "note", "notes") + " in " +
               counted(change.value, "other channel", "other channels") + " left out";
    case ChangeKind::DrumNotesLeftOut:
        return counted(n, "drum note", "drum notes") + " left out";
    case ChangeKind::TokenSkipped:
        return counted(n, "unreadable token", "unreadable tokens") + " skipped";
    case ChangeKind::OtherTunesLeftOut:
        return counted(n, "other tune", "other tunes") + " in the file left out";
    }
    return "changed";
}

const char* reason(quillon::ImportError error) {
    using quillon::ImportError;
    switch (error) {
    case ImportError::Empty:
        return "the file is empty";
    case ImportError::NotATune:
        return "neither an RTTTL ring tone nor a MIDI file";
    case ImportError::CutShort:
        return "the file is cut short";
    case ImportError::MidiFormat2:
        return "MIDI format 2 (independent sequences) is not supported";
    case ImportError::BrokenMidi:
        return "the MIDI file is damaged";
    case ImportError::NoNotes:
        return "the tune has no notes";
    case ImportError::TooLong:
        return "the tune needs more than 32767 codes";
    case ImportError::NoSuchTune:
        return "the file has no such track or tune";
    }
    return "cannot be read";
}

bool readFile(const char* path, std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        return false;
    }
    std::uint8_t buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

int usage(std::FILE* to, int status) {
    std::fprintf(to, "usage: %s [--list | --track N | --tune N] FILE\n", kName);
    return status;
}

// The candidate's facts for --list, tab-separated: number, name, channels, notes, range, and
// "default" on the one taken without --track or --tune.
std::string listLine(const quillon::TuneCandidate& candidate, std::size_t number, bool isDefault) {
    std::string name;
    for (const char c : candidate.name) {
        // One candidate a line, one field a column, whatever the file holds.
        name += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
    }
    // Appended piece by piece: gcc 12 at -O3 warns falsely of overlapping copies in chains of
    // string concatenations.
    std::string line = std::to_string(number);
    line += '\t';
    line += name.empty() ? std::string("-") : name;
    line += '\t';
    if (candidate.channels.empty()) {
        line += '-';
    } else {
        line += candidate.channels.size() == 1 ? "channel " : "channels ";
        for (std::size_t i = 0; i < candidate.channels.size(); ++i) {
            if (i > 0) {
                line += ',';
            }
            line += std::to_string(candidate.channels[i]);
        }
    }
    line += '\t';
    line += counted(candidate.notes, "note", "notes");
    line += '\t';
    if (candidate.lowest < 0) {
        line += '-';
    } else {
        line += quillon::noteName(candidate.lowest);
        line += '-';
        line += quillon::noteName(candidate.highest);
    }
    if (isDefault) {
        line += "\tdefault";
    }
    return line + "\n";
}

// A number from 1 as --track and --tune take it; 0 when the text is none.
std::size_t choiceNumber(const char* text) {
    std::size_t value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || value > 1000000) {
            return 0;
        }
        value = value * 10 + static_cast<std::size_t>(*c - '0');
    }
    return value;
}

// Writes `text` and checks that all of it went out: an array lost on the way must not pass for
// success.
bool writeOut(const std::string& text) {
    errno = 0;
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        const int error = errno != 0 ? errno : EIO;
        std::fprintf(stderr, "%s: write error: %s\n", kName, std::strerror(error));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        return usage(stdout, 0);
    }
    enum class Mode { Import, List, Track, Tune } mode = Mode::Import;
    std::size_t number = 0;
    if (argc == 3 && std::strcmp(argv[1], "--list") == 0) {
        mode = Mode::List;
    } else if (argc == 4 &&
               (std::strcmp(argv[1], "--track") == 0 || std::strcmp(argv[1], "--tune") == 0)) {
        mode = argv[1][3] == 'r' ? Mode::Track : Mode::Tune;
        number = choiceNumber(argv[2]);
        if (number == 0) {
            std::fprintf(stderr, "%s: %s takes a number from 1, not '%s'\n", kName, argv[1],
                         argv[2]);
            return 2;
        }
    } else if (argc != 2 || std::strncmp(argv[1], "--", 2) == 0) {
        return usage(stderr, 2);
    }
    const char* path = argv[argc - 1];

    errno = 0;
    std::vector<std::uint8_t> bytes;
    if (!readFile(path, bytes)) {
        const int error = errno != 0 ? errno : EIO;
        std::fprintf(stderr, "%s: %s: %s\n", kName, path, std::strerror(error));
        return 1;
    }
    const quillon::CandidatesResult listed = quillon::listTunes(bytes);
    if (const auto* error = std::get_if<quillon::ImportError>(&listed)) {
        std::fprintf(stderr, "%s: %s: %s\n", kName, path, reason(*error));
        return 1;
    }
    const auto& candidates = std::get<quillon::TuneCandidates>(listed);
    const bool midi = candidates.format == quillon::TuneFormat::Midi;
    if (mode == Mode::List) {
        std::string text;
        for (std::size_t i = 0; i < candidates.list.size(); ++i) {
            text += listLine(candidates.list[i], i + 1, i == candidates.defaultIndex);
        }
        return writeOut(text) ? 0 : 1;
    }
    if ((mode == Mode::Track && !midi) || (mode == Mode::Tune && midi)) {
        std::fprintf(stderr, "%s: %s: %s\n", kName, path,
                     midi ? "a MIDI file: choose with --track N"
                          : "not a MIDI file: choose with --tune N");
        return 2;
    }
    if (number > candidates.list.size()) {
        const std::size_t count = candidates.list.size();
        std::fprintf(stderr, "%s: %s: no %s %zu: the file has %zu (see --list)\n", kName, path,
                     midi ? "track" : "tune", number, count);
        return 2;
    }

    const quillon::ImportResult result =
        number == 0 ? quillon::importTune(bytes) : quillon::importTune(bytes, number - 1);
    if (const auto* error = std::get_if<quillon::ImportError>(&result)) {
        std::fprintf(stderr, "%s: %s: %s\n", kName, path, reason(*error));
        return 1;
    }
    const auto& tune = std::get<quillon::ImportedTune>(result);

    // The composer's CR LF becomes a line feed; text-mode output on Windows writes CR LF again.
    std::string text;
    for (const char16_t c : quillon::composerText(tune.codes)) {
        if (c != u'\r') {
            text += static_cast<char>(c);
        }
    }
    if (!writeOut(text)) {
        return 1;
    }
    for (const quillon::Change& change : tune.report.changes()) {
        std::fprintf(stderr, "%s\n", describe(change).c_str());
    }
    return 0;
}
