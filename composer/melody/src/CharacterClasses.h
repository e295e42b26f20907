#pragma once

// Internal to the melody library: the characters that C source text treats specially.

namespace quillon::detail {

// A line break of the CR LF text, of a Qt document (U+2029 each), or U+2028.
constexpr bool isLineBreak(char16_t c) {
    return c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029;
}

constexpr bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || isLineBreak(c);
}

constexpr bool isHighSurrogate(char16_t c) {
    return c >= 0xd800 && c <= 0xdbff;
}
constexpr bool isLowSurrogate(char16_t c) {
    return c >= 0xdc00 && c <= 0xdfff;
}

} // namespace quillon::detail
