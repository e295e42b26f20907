#pragma once

// Internal to the melody library: what may stand before the "{" of the array.

#include "quillon/Finding.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::detail {

// A token of the text before the "{", comments and preprocessor lines left out.
struct PrefixToken {
    enum class Type : std::uint8_t {
        Word, // an identifier or keyword: ASCII letters, digits, _ and $, not starting with a digit
        Number, // starting with a digit
        Quoted, // a string or character constant
        Punct,  // one character of anything else
    };
    Type type;
    char16_t punct; // the character of a Punct token
    std::size_t begin;
    std::size_t end;
};

// The findings on what stands before the "{", in text order: each "}" there is a
// BraceOutOfOrder, and each statement that is not a declaration a NotADeclaration. Statements end
// at ";" (or at a stray "}"); any number of them may come first, as long as each starts with a
// word ("static const uint8_t tempo = 120;", "void play(void);"). The last one, right before
// the "{", is empty (the initializer alone) or the head of an array definition: words, each
// perhaps with a parenthesized group (const, unsigned char, uint8_t, static, __flash, PROGMEM,
// __attribute__((section(".x")))), "[", an optional size, "]", more such words, "=".
std::vector<Finding> checkDeclarations(const std::vector<PrefixToken>& tokens);

} // namespace quillon::detail
