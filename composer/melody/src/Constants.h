#pragma once

// Internal to the melody library: the values of the C constants an initializer may hold, as gcc
// reads them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon::detail {

struct ConstantValue {
    // The value modulo 2^64, a negative one in two's complement: its low 8 bits are what an
    // unsigned char stores.
    std::uint64_t bits = 0;
    // The value itself, held within ±2^61 (so that a sum of two never overflows); anything
    // beyond is far out of a byte anyway and marked outOfRange.
    std::int64_t exact = 0;
    // gcc warns that the constant does not fit where it goes: 2^64 or more, an escape over the
    // width of its character, or simply beyond ±2^61.
    bool outOfRange = false;
};

inline constexpr std::int64_t kExactLimit = std::int64_t{1} << 61;

// How far a quoted constant reaches: it opens with the quote at `at` and closes at the same
// quote on the same line; a backslash escapes the next character.
struct QuotedSpan {
    bool closed;
    // Just past the closing quote; when there is none, where the line or the text ends.
    std::size_t end;
};
QuotedSpan quotedSpan(std::u16string_view text, std::size_t at);

// An integer constant: decimal, octal, hexadecimal or binary (a GNU extension and C23) with
// the suffixes C allows. None when the text is not exactly one.
std::optional<ConstantValue> integerConstant(std::u16string_view text);

// A character constant, quotes included, plain or with the prefix L, u or U: its int value as
// gcc computes it on Linux and AVR (char is signed; a multi-character constant packs its bytes,
// UTF-8 for what is not ASCII; a prefixed one has the value of its last character). None when
// the text is not exactly one, or one that gcc rejects ('' or '\x' or '\u0041').
std::optional<ConstantValue> characterConstant(std::u16string_view text);

} // namespace quillon::detail
