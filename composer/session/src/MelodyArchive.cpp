#include "quillon/MelodyArchive.h"

#include "quillon/MelodyReader.h"
#include "quillon/MusicCode.h"
#include "quillon/SystemText.h"
#include "quillon/TextCodec.h"
#include "quillon/UserFolders.h"

#include <algorithm>
#include <string>
#include <tuple>

namespace quillon {

namespace fs = std::filesystem;

namespace {

constexpr std::u16string_view kExtension = u".h";
// "2025-03-14_09-26-53"
constexpr std::size_t kTimeLength = 19;
constexpr std::size_t kNotesInMenu = 8;

struct NamedMelody {
    fs::path path;
    LocalTime began;
    // 1 for the first melody of its second, 2 for the one named "-2"...
    int sequence = 1;
};

std::u16string twoDigits(int value) {
    return {static_cast<char16_t>(u'0' + value / 10 % 10),
            static_cast<char16_t>(u'0' + value % 10)};
}

std::u16string timeName(const LocalTime& time) {
    return twoDigits(time.year / 100) + twoDigits(time.year) + u'-' + twoDigits(time.month) + u'-' +
           twoDigits(time.day) + u'_' + twoDigits(time.hour) + u'-' + twoDigits(time.minute) +
           u'-' + twoDigits(time.second);
}

// The number that the digits `text[at, at + count)` spell; -1 when any is no digit.
int number(std::u16string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size() || count == 0) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < u'0' || text[i] > u'9') {
            return -1;
        }
        value = value * 10 + (text[i] - u'0');
    }
    return value;
}

// The time and sequence in a kept melody's name; none for any other name.
std::optional<NamedMelody> parseName(const fs::path& path) {
    const std::u16string name = displayPath(path.filename());
    if (name.size() < kTimeLength + kExtension.size() || !name.ends_with(kExtension)) {
        return std::nullopt;
    }
    const std::u16string_view time(name.data(), kTimeLength);
    constexpr std::u16string_view kSeparators = u"--_--";
    constexpr std::size_t kSeparatorAt[] = {4, 7, 10, 13, 16};
    for (std::size_t i = 0; i < kSeparators.size(); ++i) {
        if (time[kSeparatorAt[i]] != kSeparators[i]) {
            return std::nullopt;
        }
    }
    NamedMelody melody{path,
                       {number(time, 0, 4), number(time, 5, 2), number(time, 8, 2),
                        number(time, 11, 2), number(time, 14, 2), number(time, 17, 2)}};
    const LocalTime& t = melody.began;
    if (t.year < 0 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 60) {
        return std::nullopt;
    }
    const std::size_t rest = name.size() - kTimeLength - kExtension.size();
    if (rest > 0) {
        // "-2" to "-99999": more digits than that are no name of ours.
        const int sequence =
            rest >= 2 && rest <= 6 && name[kTimeLength] == u'-' && name[kTimeLength + 1] != u'0'
                ? number(name, kTimeLength + 1, rest - 1)
                : -1;
        if (sequence < 2) {
            return std::nullopt;
        }
        melody.sequence = sequence;
    }
    return melody;
}

// The kept melodies, newest first.
std::vector<NamedMelody> listMelodies(const fs::path& folder) {
    std::vector<NamedMelody> melodies;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (std::optional<NamedMelody> melody = parseName(it->path());
            melody && it->is_regular_file(error)) {
            melodies.push_back(std::move(*melody));
        }
    }
    std::sort(melodies.begin(), melodies.end(), [](const NamedMelody& a, const NamedMelody& b) {
        return std::tie(a.began, a.sequence) > std::tie(b.began, b.sequence);
    });
    return melodies;
}

std::u16string menuTime(const LocalTime& t) {
    return twoDigits(t.year / 100) + twoDigits(t.year) + u'-' + twoDigits(t.month) + u'-' +
           twoDigits(t.day) + u' ' + twoDigits(t.hour) + u':' + twoDigits(t.minute) + u':' +
           twoDigits(t.second);
}

} // namespace

MelodyArchive::MelodyArchive(fs::path folder) : folder_(std::move(folder)) {}

std::optional<fs::path> MelodyArchive::userFolder() {
    if (std::optional<fs::path> data = userDataFolder()) {
        return *data / "melodies";
    }
    return std::nullopt;
}

fs::path MelodyArchive::freePath(const LocalTime& began) const {
    const std::u16string stem = timeName(began);
    fs::path path = folder_ / (stem + std::u16string(kExtension));
    std::error_code error;
    for (int sequence = 2; fs::exists(fs::symlink_status(path, error)); ++sequence) {
        path = folder_ / (stem + u'-' + decodeUtf8Lenient(std::to_string(sequence)) +
                          std::u16string(kExtension));
    }
    return path;
}

std::optional<FileProblem> MelodyArchive::write(const fs::path& file,
                                                std::u16string_view text) const {
    return writeEncoded(file, encodeUtf8(text));
}

std::optional<FileProblem> MelodyArchive::writeEncoded(const fs::path& file,
                                                       std::string_view utf8) const {
    std::error_code error;
    fs::create_directories(folder_, error);
    if (error) {
        return FileProblem{FileProblemKind::CannotWrite, folder_, error};
    }
    return writeMelodyFileEncoded(file, utf8);
}

void MelodyArchive::remove(const fs::path& file) const {
    std::error_code error;
    fs::remove(file, error);
}

std::vector<KeptMelody> MelodyArchive::newest(std::size_t count, const fs::path& except) const {
    std::vector<KeptMelody> kept;
    for (const NamedMelody& melody : listMelodies(folder_)) {
        if (kept.size() == count) {
            break;
        }
        if (melody.path == except) {
            continue;
        }
        std::u16string text = menuTime(melody.began);
        const std::u16string notes = firstNotes(readMelodyFile(melody.path).text);
        if (!notes.empty()) {
            text += u"  ";
            text += notes;
        }
        kept.push_back({melody.path, melody.began, std::move(text)});
    }
    return kept;
}

void MelodyArchive::prune(std::size_t keep, const fs::path& except) const {
    const std::vector<NamedMelody> melodies = listMelodies(folder_);
    std::size_t kept = 0;
    for (const NamedMelody& melody : melodies) {
        if (melody.path == except || kept < keep) {
            ++kept;
            continue;
        }
        remove(melody.path);
    }
}

std::u16string firstNotes(std::u16string_view text) {
    const std::vector<MusicCode> codes = playedCodes(readMelody(text));
    std::u16string notes;
    for (std::size_t i = 0; i < codes.size() && i < kNotesInMenu; ++i) {
        if (i > 0) {
            notes += u' ';
        }
        const int index = noteIndex(codes[i]);
        if (index == 31) {
            notes += u'0';
        } else if (index >= 28) {
            // A code the firmware has no pitch for.
            notes += u'?';
        } else {
            notes += static_cast<char16_t>(u'1' + index % 7);
            const int group = index / 7;
            if (group <= 1) {
                notes += u'\u0323';
            } else if (group == 3) {
                notes += u'\u0307';
            }
        }
    }
    if (codes.size() > kNotesInMenu) {
        notes += u" …";
    }
    return notes;
}

bool isEmptyMelody(std::u16string_view text) {
    constexpr std::u16string_view kSpace = u" \t\r\n\f\v";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::u16string_view::npos) {
        return true;
    }
    const std::size_t last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1) == kArrayHeader;
}

} // namespace quillon
