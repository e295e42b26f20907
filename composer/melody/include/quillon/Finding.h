#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillon {

// What the melody reader finds in a music code text: things the C compiler rejects or warns
// about, things the firmware player would mis-play (errors), and things that are fine for the
// compiler but unfinished or not what the composer writes (hints; see findingWeight).
enum class FindingKind : std::uint8_t {
    // The text has no "{" outside comments: there is no array to read. Placed on the first
    // non-blank line's content (the whole text if all of it is blank).
    NoOpeningBrace,
    // A token between the braces that is no constant the reader knows ("0xg1", "12a", "08",
    // "--1", "''", "@", a second "{"). The compiler rejects the file. Placed on the token.
    NotALiteral,
    // An element whose value lies outside -128..255, or a literal of 2^64 or more, or an escape
    // over a byte: it does not fit unsigned char. The compiler warns and stores the value modulo
    // 256, which is what the preview plays too (0x100 becomes 0 and ends the melody). Placed on
    // the element.
    ValueTooLarge,
    // A played element whose note index is 28..30: silent in the preview, and a player that
    // indexes its reload table with it reads past the table's end. Placed on the element.
    NoPitch,
    // A "}" with no element 0 before it: the player runs on past the array. Placed on the "}".
    NoEndBeforeBrace,
    // No "}" after the "{": the melody has not been ended yet (nor would the file compile). A
    // hint: the composer's own text is like this until End. Placed on the last element or
    // token, or else on the last non-blank character, so that it stays where the user types.
    // Never reported when an open comment (OpenComment) is why there is no "}".
    NoClosingBrace,
    // An element after the first 0: never played. Each such element is one finding, so that
    // every underline is on a literal and nothing between them.
    AfterEnd,
    // Two elements with no comma between them: the compiler rejects the file. Placed on the
    // second element.
    MissingComma,
    // A comma with no element before it ("{," or ",,"): the compiler rejects the file. Placed
    // on that comma.
    ExtraComma,
    // A "/*" without its "*/": the rest of the text is a comment and the array never ends.
    // Placed from the "/*" to the end of the text.
    OpenComment,
    // An element the compiler accepts but the composer never writes: a character constant
    // ('a', '\n', '\x41'), a sign (-1, + 3) or a sum (0x10 - 1), a binary literal (0b101).
    // The element plays its low 8 bits, as the compiler stores them. A hint. Placed on the
    // element.
    NotAComposerCode,
    // What stands before the "{" is not a declaration of the array (such as
    // "const unsigned char music_item[] PROGMEM ="): the compiler rejects the file. Placed on
    // the statement that is not one, from its first to its last token.
    NotADeclaration,
    // A "}" before the "{": the braces are in the wrong order and the compiler rejects the
    // file. Placed on that "}".
    BraceOutOfOrder,
};

inline constexpr int kFindingKinds = 13;

// How a finding is drawn: an error (what the compiler rejects or the firmware would mis-play)
// stands out; a hint (fine for the compiler, only unfinished or unusual) stays quiet.
enum class FindingWeight : std::uint8_t { Error, Hint };

constexpr FindingWeight findingWeight(FindingKind kind) {
    return kind == FindingKind::NoClosingBrace || kind == FindingKind::NotAComposerCode
               ? FindingWeight::Hint
               : FindingWeight::Error;
}

// A finding and where it is: [begin, end) in UTF-16 code units of the text that was read.
// Non-empty whenever the text is.
struct Finding {
    FindingKind kind;
    std::size_t begin;
    std::size_t end;

    friend bool operator==(const Finding&, const Finding&) = default;
};

} // namespace quillon
