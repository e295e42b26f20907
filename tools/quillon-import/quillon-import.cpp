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
    std::fprintf(to, "usage: %s FILE\n", kName);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        return usage(stdout, 0);
    }
    if (argc != 2) {
        return usage(stderr, 2);
    }
    const char* path = argv[1];

    errno = 0;
    std::vector<std::uint8_t> bytes;
    if (!readFile(path, bytes)) {
        const int error = errno != 0 ? errno : EIO;
        std::fprintf(stderr, "%s: %s: %s\n", kName, path, std::strerror(error));
        return 1;
    }
    const quillon::ImportResult result = quillon::importTune(bytes);
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
    errno = 0;
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        // An array lost on the way must not pass for success.
        const int error = errno != 0 ? errno : EIO;
        std::fprintf(stderr, "%s: write error: %s\n", kName, std::strerror(error));
        return 1;
    }

    for (const quillon::Change& change : tune.report.changes()) {
        std::fprintf(stderr, "%s\n", describe(change).c_str());
    }
    return 0;
}
