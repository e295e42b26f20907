#pragma once

#include <cstdint>
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

// "0x" and two lowercase hexadecimal digits, without the separator: 0x0b -> "0x0b".
std::u16string codeItem(MusicCode code);

} // namespace quillon
