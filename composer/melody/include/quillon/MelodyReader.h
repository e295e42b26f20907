#pragma once

#include "quillon/Finding.h"
#include "quillon/MusicCode.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon {

// One element of the array as the compiler stores it, and where its literal stands in the text.
struct MelodyElement {
    // The byte the firmware gets: the element's value modulo 256 (an unsigned char initializer
    // keeps the low 8 bits; the ValueTooLarge finding says so).
    MusicCode code;
    // [begin, end) in UTF-16 code units: the literal with its suffix, and with its signs and
    // the other terms of a sum when it has them ("- 1", "0x10 - 1").
    std::size_t begin;
    std::size_t end;

    friend bool operator==(const MelodyElement&, const MelodyElement&) = default;
};

struct Melody {
    // Every element between "{" and "}" (or the end of the text), in order, those after the
    // first 0 included.
    std::vector<MelodyElement> elements;
    // How many elements the firmware plays: those in front of the first 0 (all of them when
    // there is none). The first 0 itself, when there is one, is elements[played].
    std::size_t played = 0;
    // In text order; on the same place, in the order of FindingKind.
    std::vector<Finding> findings;

    friend bool operator==(const Melody&, const Melody&) = default;
};

// Reads a music code text as gcc reads the initializer of music_item. Before the first "{"
// outside comments, quotes and preprocessor lines stand declarations (see NotADeclaration);
// then come elements, commas, white space and comments up to the "}"; whatever follows the "}"
// is not read. An element is a constant with any unary + and -, or a sum of such constants
// ("0x10 - 1"): integer literals (decimal, octal, hexadecimal, and binary as a GNU extension,
// with the suffixes u/U and l/L/ll/LL) and character constants ('a', '\n', '\x41', '\101',
// L'a'). Its code is its value modulo 256, the value of a literal taken modulo 2^64 as gcc
// does. A token is a run of characters up to white space, a comma, a brace or a comment (a
// character constant is taken whole); a token that is none of these is one finding and reading
// goes on after it. Other constant expressions (casts, parentheses, *, floating constants) are
// not read: they are such tokens.
//
// White space is space, \t, \v, \f, \r, \n, U+2028 and U+2029, so that the text of a Qt
// document, whose line breaks are one U+2029 each, reads the same as the CR LF text and its
// offsets are document positions. A // comment ends at \r, \n, U+2028 or U+2029.
//
// Never throws (short of running out of memory) and reads nothing outside the text, whatever it
// holds: NULs, unpaired surrogates, an open comment.
Melody readMelody(std::u16string_view text);

// The codes of the played elements, in order, for the renderer.
std::vector<MusicCode> playedCodes(const Melody& melody);

} // namespace quillon
