#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// One byte per note: note index in bits 7..3, duration code in bits 2..0.
using MusicCode = std::uint8_t;

inline constexpr std::u16string_view kArrayHeader = u"const unsigned char music_item[] = {";
inline constexpr std::u16string_view kTerminator = u"0x00};";
inline constexpr std::u16string_view kLineBreak = u"\r\n";
inline constexpr std::u16string_view kSeparator = u",";
inline constexpr std::u16string_view kRestItem = u"0xf8";

constexpr int noteIndex(MusicCode code) { return code >> 3; }
constexpr int durationCode(MusicCode code) { return code & 7; }

// The code of note button Command<g><r><c>: group 1..4, row 1..3, jianpu degree 1..7.
constexpr MusicCode noteButtonCode(int group, int row, int degree) {
    return static_cast<MusicCode>(((group - 1) * 7 + (degree - 1)) * 8 + (4 - row));
}

// The value of a hexadecimal digit, 0-9 and a-f in either case; none for anything else.
constexpr std::optional<int> hexDigitValue(char16_t ch) {
    if (ch >= u'0' && ch <= u'9') {
        return ch - u'0';
    }
    if (ch >= u'a' && ch <= u'f') {
        return ch - u'a' + 10;
    }
    if (ch >= u'A' && ch <= u'F') {
        return ch - u'A' + 10;
    }
    return std::nullopt;
}

// "0x" and two lowercase hexadecimal digits, without the separator: 0x0b -> "0x0b".
std::u16string codeItem(MusicCode code);

} // namespace quillon
