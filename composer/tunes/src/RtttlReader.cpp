#include "quillon/RtttlReader.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quillon {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isLetter(char c) {
    return lower(c) >= 'a' && lower(c) <= 'z';
}

// White space removed and letters lowered: what is left is all that the reader looks at.
std::string compact(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (!isSpace(c)) {
            out += lower(c);
        }
    }
    return out;
}

std::vector<std::string_view> splitAtCommas(std::string_view text) {
    std::vector<std::string_view> items;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ',') {
            items.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return items;
}

// A whole run of at most four digits; none for anything else, so values never overflow.
std::optional<int> number(std::string_view digits) {
    if (digits.empty() || digits.size() > 4) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : digits) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool isDuration(int n) {
    return n == 1 || n == 2 || n == 4 || n == 8 || n == 16 || n == 32;
}

struct Settings {
    int duration = 4;
    int octave = 6;
    int beats = 63;
};

// A setting `name=value`, or in the settings part also a one-letter name followed directly by
// its value. Its name and value; none when the item has neither shape.
struct Setting {
    std::string_view name;
    std::string_view value;
};

std::optional<Setting> splitSetting(std::string_view item, bool equalsOptional) {
    std::size_t letters = 0;
    while (letters < item.size() && isLetter(item[letters])) {
        ++letters;
    }
    if (letters == 0) {
        return std::nullopt;
    }
    if (letters < item.size() && item[letters] == '=') {
        return Setting{item.substr(0, letters), item.substr(letters + 1)};
    }
    if (equalsOptional && letters == 1 && letters < item.size() && isDigit(item[letters])) {
        return Setting{item.substr(0, 1), item.substr(1)};
    }
    return std::nullopt;
}

// Applies a setting; false when a known setting has a value it cannot take.
bool apply(const Setting& setting, Settings& settings) {
    const auto value = number(setting.value);
    if (setting.name == "d") {
        if (!value || !isDuration(*value)) {
            return false;
        }
        settings.duration = *value;
    } else if (setting.name == "o") {
        if (!value || setting.value.size() != 1) {
            return false;
        }
        settings.octave = *value;
    } else if (setting.name == "b") {
        if (!value || *value < 1 || *value > 900) {
            return false;
        }
        settings.beats = *value;
    }
    // Any other name is ignored, as the format asks of readers.
    return true;
}

// Semitones above C of the letters c to b (h is the German b); -1 for a pause.
std::optional<int> semitoneOf(char letter) {
    switch (letter) {
    case 'c':
        return 0;
    case 'd':
        return 2;
    case 'e':
        return 4;
    case 'f':
        return 5;
    case 'g':
        return 7;
    case 'a':
        return 9;
    case 'b':
    case 'h':
        return 11;
    case 'p':
        return -1;
    default:
        return std::nullopt;
    }
}

// `[duration]note[#][.][octave][.]`; none when the token is not one.
std::optional<TuneElement> readNote(std::string_view token, const Settings& settings) {
    std::size_t i = 0;
    while (i < token.size() && isDigit(token[i])) {
        ++i;
    }
    int duration = settings.duration;
    if (i > 0) {
        const auto n = number(token.substr(0, i));
        if (!n || !isDuration(*n)) {
            return std::nullopt;
        }
        duration = *n;
    }
    if (i == token.size()) {
        return std::nullopt;
    }
    const auto semitone = semitoneOf(token[i++]);
    if (!semitone) {
        return std::nullopt;
    }
    const bool pause = *semitone < 0;
    bool sharp = false;
    if (i < token.size() && token[i] == '#') {
        if (pause) {
            return std::nullopt;
        }
        sharp = true;
        ++i;
    }
    bool dotted = false;
    if (i < token.size() && token[i] == '.') {
        dotted = true;
        ++i;
    }
    int octave = settings.octave;
    if (i < token.size() && isDigit(token[i])) {
        octave = token[i] - '0';
        ++i;
    }
    if (i < token.size() && token[i] == '.' && !dotted) {
        dotted = true;
        ++i;
    }
    if (i != token.size()) {
        return std::nullopt;
    }

    const double ms = 60000.0 / settings.beats * 4.0 / duration * (dotted ? 1.5 : 1.0);
    if (pause) {
        return TuneElement{TuneElement::kRest, ms};
    }
    return TuneElement{12 * (octave + 1) + *semitone + (sharp ? 1 : 0), ms};
}

// Whether a line opens a tune: `name:settings:` with a settings part that is a list of
// settings (or empty), both colons on the line.
bool opensATune(std::string_view line) {
    const std::size_t nameEnd = line.find(':');
    if (nameEnd == std::string_view::npos) {
        return false;
    }
    const std::size_t settingsEnd = line.find(':', nameEnd + 1);
    if (settingsEnd == std::string_view::npos) {
        return false;
    }
    const std::string settingsPart = compact(line.substr(nameEnd + 1, settingsEnd - nameEnd - 1));
    for (const std::string_view item : splitAtCommas(settingsPart)) {
        if (!item.empty() && !splitSetting(item, true)) {
            return false;
        }
    }
    return true;
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

// One tune, `name:settings:notes`, of text already checked to be text and not blank; where
// its notes end (the end of `text`, or the start of the line that opens the next tune).
std::variant<RtttlTune, ImportError> readOne(std::string_view text, std::size_t& end) {
    end = text.size();
    // The name may be anything but a colon.
    const std::size_t nameEnd = text.find(':');
    if (nameEnd == std::string_view::npos) {
        return ImportError::NotATune;
    }
    const std::size_t settingsEnd = text.find(':', nameEnd + 1);
    const std::string settingsPart = compact(text.substr(
        nameEnd + 1,
        settingsEnd == std::string_view::npos ? settingsEnd : settingsEnd - nameEnd - 1));

    RtttlTune read;
    read.name = trimmed(text.substr(0, nameEnd));
    Tune& tune = read.tune;
    Settings settings;
    std::int64_t skipped = 0;
    for (const std::string_view item : splitAtCommas(settingsPart)) {
        if (item.empty()) {
            continue;
        }
        const auto setting = splitSetting(item, true);
        if (!setting) {
            // Text with colons in it that is no ring tone.
            return ImportError::NotATune;
        }
        if (!apply(*setting, settings)) {
            ++skipped;
        }
    }
    if (settingsEnd == std::string_view::npos) {
        return ImportError::CutShort;
    }

    // The notes run on over line ends until a line opens another tune.
    for (std::size_t at = text.find_first_of("\r\n", settingsEnd); at != std::string_view::npos;
         at = text.find_first_of("\r\n", at + 1)) {
        const std::size_t lineStart = at + 1;
        const std::size_t lineEnd = std::min(text.find_first_of("\r\n", lineStart), text.size());
        if (opensATune(text.substr(lineStart, lineEnd - lineStart))) {
            end = lineStart;
            break;
        }
    }

    const std::string notesPart = compact(text.substr(settingsEnd + 1, end - settingsEnd - 1));
    for (const std::string_view token : splitAtCommas(notesPart)) {
        if (token.empty()) {
            continue;
        }
        if (const auto note = readNote(token, settings)) {
            tune.elements.push_back(*note);
        } else if (const auto setting = splitSetting(token, false)) {
            if (!apply(*setting, settings)) {
                ++skipped;
            }
        } else {
            ++skipped;
        }
    }
    if (tune.elements.empty()) {
        return ImportError::NoNotes;
    }
    tune.report.add(ChangeKind::TokenSkipped, skipped);
    return read;
}

} // namespace

std::variant<std::vector<RtttlTune>, ImportError> readRtttlTunes(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    bool blank = true;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && !isSpace(c)) || byte == 0x7f) {
            // Binary data, not text.
            return ImportError::NotATune;
        }
        blank = blank && isSpace(c);
    }
    if (blank) {
        return ImportError::Empty;
    }

    std::vector<RtttlTune> tunes;
    std::size_t end = 0;
    auto first = readOne(text, end);
    if (const auto* error = std::get_if<ImportError>(&first)) {
        return *error;
    }
    tunes.push_back(std::move(std::get<RtttlTune>(first)));
    while (end < text.size()) {
        text.remove_prefix(end);
        auto next = readOne(text, end);
        if (auto* tune = std::get_if<RtttlTune>(&next)) {
            tunes.push_back(std::move(*tune));
        }
    }
    return tunes;
}

std::variant<Tune, ImportError> readRtttl(std::string_view text) {
    auto tunes = readRtttlTunes(text);
    if (const auto* error = std::get_if<ImportError>(&tunes)) {
        return *error;
    }
    return std::move(std::get<std::vector<RtttlTune>>(tunes).front().tune);
}

} // namespace quillon
