#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillon {

// What the melody reader finds wrong with a music code text: things the C compiler rejects or
// warns about, and things the firmware player would mis-play.
enum class FindingKind : std::uint8_t {
    // The text has no "{" outside comments: there is no array to read. Placed on the first
    // non-blank line's content (the whole text if all of it is blank).
    NoOpeningBrace,
    // A token between the braces that is not an integer literal ("0xg1", "12a", "08", "-1",
    // "@", a second "{"). The compiler rejects the file. Placed on the token.
    NotALiteral,
    // A literal over 255: it does not fit unsigned char. The compiler warns and stores the value
    // modulo 256, which is what the preview plays too (0x100 becomes 0 and ends the melody).
    // Placed on the literal.
    ValueTooLarge,
    // A played element whose note index is 28..30: silent in the preview, and a player that
    // indexes its reload table with it reads past the table's end. Placed on the element.
    NoPitch,
    // A "}" with no element 0 before it: the player runs on past the array. Placed on the "}".
    NoEndBeforeBrace,
    // No "}" after the "{": the array never ends (nor compiles). Placed on the last element or
    // token, or else on the last non-blank character, so that it stays where the user types.
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
};

inline constexpr int kFindingKinds = 10;

// A finding and where it is: [begin, end) in UTF-16 code units of the text that was read.
// Non-empty whenever the text is.
struct Finding {
    FindingKind kind;
    std::size_t begin;
    std::size_t end;

    friend bool operator==(const Finding&, const Finding&) = default;
};

// One short Chinese sentence for a tooltip: what is wrong and what it does to the firmware.
std::u16string_view findingMessage(FindingKind kind);

} // namespace quillon
