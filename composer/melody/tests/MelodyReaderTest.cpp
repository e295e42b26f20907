#include "quillon/MelodyReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace quillon {
namespace {

using Kind = FindingKind;

std::u16string_view spanOf(std::u16string_view text, std::size_t begin, std::size_t end) {
    return text.substr(begin, end - begin);
}

std::vector<int> codesOf(const Melody& m) {
    std::vector<int> codes;
    for (const auto& e : m.elements) {
        codes.push_back(e.code);
    }
    return codes;
}

// Each finding as its kind and the text it covers, which says more in a failure than offsets.
struct Seen {
    Kind kind;
    std::u16string covered;
    friend bool operator==(const Seen&, const Seen&) = default;
};

void PrintTo(const Seen& s, std::ostream* os) {
    *os << "kind " << static_cast<int>(s.kind) << " over " << s.covered.size() << " units: ";
    for (char16_t c : s.covered) {
        *os << (c < 128 ? static_cast<char>(c) : '?');
    }
}

std::vector<Seen> findingsOf(std::u16string_view text) {
    std::vector<Seen> seen;
    for (const auto& f : readMelody(text).findings) {
        EXPECT_LE(f.begin, f.end);
        EXPECT_LE(f.end, text.size());
        seen.push_back({f.kind, std::u16string(spanOf(text, f.begin, f.end))});
    }
    return seen;
}

TEST(MelodyReader, ReadsTheComposersOwnText) {
    const std::u16string text =
        u"const unsigned char music_item[] = {\r\n0x03,0x0b,0xDB,0xf8,\r\n0x00};\r\n";
    const Melody m = readMelody(text);
    EXPECT_EQ(codesOf(m), (std::vector<int>{0x03, 0x0b, 0xdb, 0xf8, 0x00}));
    EXPECT_EQ(m.played, 4u);
    EXPECT_TRUE(m.findings.empty());
    ASSERT_EQ(m.elements.size(), 5u);
    EXPECT_EQ(m.elements[0].begin, 38u);
    EXPECT_EQ(m.elements[0].end, 42u);
    EXPECT_EQ(spanOf(text, m.elements[2].begin, m.elements[2].end), u"0xDB");
    EXPECT_EQ(spanOf(text, m.elements[4].begin, m.elements[4].end), u"0x00");
    EXPECT_EQ(playedCodes(m), (std::vector<std::uint8_t>{0x03, 0x0b, 0xdb, 0xf8}));
}

TEST(MelodyReader, ReadsEveryIntegerLiteralForm) {
    const std::u16string text = u"{10, 012, 0xA, 0XaU, 10u, 10L, 10UL, 10lu, 10ll, 10LLU, 012uLL, "
                                u"0x0000000000000000000000A, 0, }";
    const Melody m = readMelody(text);
    EXPECT_EQ(codesOf(m), (std::vector<int>{10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 0}));
    EXPECT_TRUE(m.findings.empty());
    EXPECT_EQ(spanOf(text, m.elements[3].begin, m.elements[3].end), u"0XaU");
    EXPECT_EQ(spanOf(text, m.elements[9].begin, m.elements[9].end), u"10LLU");
}

TEST(MelodyReader, SkipsWhiteSpaceCommentsAndWhatFollowsTheBrace) {
    // A Qt document's text: one U+2029 per line break, so offsets are document positions.
    const std::u16string text = u"/* 旋律 { */ // music_item[] = {\u2029"
                                u"x[] = {\u20290x01, // 0x02,\u2029/* 0x03, */0x04\u2028,\t\v\f"
                                u"0x05\r\n,0x00}; @@ 0xzz {";
    const Melody m = readMelody(text);
    EXPECT_EQ(codesOf(m), (std::vector<int>{1, 4, 5, 0}));
    EXPECT_TRUE(m.findings.empty());
    EXPECT_EQ(m.elements[1].begin, text.find(u"0x04"));
    EXPECT_EQ(m.elements[2].end, text.find(u"0x05") + 4);
}

TEST(MelodyReader, TokensThatAreNoLiteralAreFoundAndReadingGoesOn) {
    // gcc 12 rejects each of these: "--" is the decrement operator, 0x1e-1 one number with an
    // invalid suffix, '' empty, '\x' without digits, '\u0041' no valid universal character,
    // u8'a' a name and a constant (C23 only), 'ab and - alone incomplete.
    const std::u16string text = u"{0xg1, 12a, @, 0x, 08, 0b, 0b2, 1lL, 1uu, 0x01, { 0x02, 1.0, x0, "
                                u"--1, ++1, 1--1, 0x1e-1, '', '\\x', '\\u0041', u8'a', 'ab, - , "
                                u"0x00}";
    EXPECT_EQ(findingsOf(text),
              (std::vector<Seen>{
                  {Kind::NotALiteral, u"0xg1"},      {Kind::NotALiteral, u"12a"},
                  {Kind::NotALiteral, u"@"},         {Kind::NotALiteral, u"0x"},
                  {Kind::NotALiteral, u"08"},        {Kind::NotALiteral, u"0b"},
                  {Kind::NotALiteral, u"0b2"},       {Kind::NotALiteral, u"1lL"},
                  {Kind::NotALiteral, u"1uu"},       {Kind::NotALiteral, u"{"},
                  {Kind::NotALiteral, u"1.0"},       {Kind::NotALiteral, u"x0"},
                  {Kind::NotALiteral, u"--1"},       {Kind::NotALiteral, u"++1"},
                  {Kind::NotALiteral, u"1--1"},      {Kind::NotALiteral, u"0x1e-1"},
                  {Kind::NotALiteral, u"''"},        {Kind::NotALiteral, u"'\\x'"},
                  {Kind::NotALiteral, u"'\\u0041'"}, {Kind::NotALiteral, u"u8'a'"},
                  {Kind::NotALiteral, u"'ab"},       {Kind::NotALiteral, u"-"},
              }));
    EXPECT_EQ(codesOf(readMelody(text)), (std::vector<int>{1, 2, 0}));
}

TEST(MelodyReader, ValuesOverAByteKeepTheirLowEightBits) {
    // 0x1f8 is stored as the rest 0xf8; 0x100 as 0, which ends the melody.
    const std::u16string text = u"{0x1f8, 0x100, 0x03, 0}";
    const Melody m = readMelody(text);
    EXPECT_EQ(codesOf(m), (std::vector<int>{0xf8, 0x00, 0x03, 0x00}));
    EXPECT_EQ(m.played, 1u);
    EXPECT_EQ(findingsOf(text), (std::vector<Seen>{
                                    {Kind::ValueTooLarge, u"0x1f8"},
                                    {Kind::ValueTooLarge, u"0x100"},
                                    {Kind::AfterEnd, u"0x03"},
                                    {Kind::AfterEnd, u"0"},
                                }));

    // 2^64 and more: gcc 12 warns "integer constant is too large for its type" and keeps the
    // value modulo 2^64, so 18446744073709551616 (2^64) is stored as 0x00 and
    // 0x10000000000000001 as 0x01; 0x123456789abcdef0123 keeps its low byte 0x23.
    const std::u16string huge = u"{0x10000000000000001, 0x123456789abcdef0123, "
                                u"99999999999999999999999999999999, 18446744073709551616}";
    const Melody h = readMelody(huge);
    // 10^32 - 1 is 2^32 * 5^32 - 1: its low byte is 0xff.
    EXPECT_EQ(codesOf(h), (std::vector<int>{0x01, 0x23, 0xff, 0x00}));
    EXPECT_EQ(h.played, 3u);
    for (std::size_t k = 0; k < h.elements.size(); ++k) {
        EXPECT_EQ(h.findings[k],
                  (Finding{Kind::ValueTooLarge, h.elements[k].begin, h.elements[k].end}));
    }
    EXPECT_EQ(h.findings.size(), 4u);
}

TEST(MelodyReader, NoteIndexesWithoutPitchAreFoundWhereTheyWouldPlay) {
    // Index 28 starts at 0xe0, index 31 (rest) at 0xf8; 0xdf is B6 with duration 7.
    const std::u16string text = u"{0xe0, 0xe7, 0xe8, 0xf7, 0xf8, 0xff, 0xdf, 0, 0xe0}";
    EXPECT_EQ(findingsOf(text), (std::vector<Seen>{
                                    {Kind::NoPitch, u"0xe0"},
                                    {Kind::NoPitch, u"0xe7"},
                                    {Kind::NoPitch, u"0xe8"},
                                    {Kind::NoPitch, u"0xf7"},
                                    {Kind::AfterEnd, u"0xe0"},
                                }));
}

TEST(MelodyReader, TheEndOfTheMelodyMustBeMarked) {
    EXPECT_EQ(findingsOf(u"{0x03,0x0b};"), (std::vector<Seen>{{Kind::NoEndBeforeBrace, u"}"}}));
    EXPECT_EQ(findingsOf(u"{}"), (std::vector<Seen>{{Kind::NoEndBeforeBrace, u"}"}}));

    // Without "}" the finding stays at the last thing typed.
    EXPECT_EQ(findingsOf(u"x[] = {\r\n0x03,0x0b,\r\n"),
              (std::vector<Seen>{{Kind::NoClosingBrace, u"0x0b"}}));
    EXPECT_EQ(findingsOf(u"{0x03, 0x00 // end\r\n"),
              (std::vector<Seen>{{Kind::NoClosingBrace, u"0x00"}}));
    EXPECT_EQ(findingsOf(u"{0x03, @,  "),
              (std::vector<Seen>{{Kind::NotALiteral, u"@"}, {Kind::NoClosingBrace, u"@"}}));
    EXPECT_EQ(findingsOf(u"const unsigned char music_item[] = {\r\n"),
              (std::vector<Seen>{{Kind::NoClosingBrace, u"{"}}));
    EXPECT_EQ(findingsOf(u"{ // 𝄞\r\n"), (std::vector<Seen>{{Kind::NoClosingBrace, u"𝄞"}}));

    EXPECT_EQ(findingsOf(u"{0x03,0x00,0x0b,\r\n0x13};"), (std::vector<Seen>{
                                                             {Kind::AfterEnd, u"0x0b"},
                                                             {Kind::AfterEnd, u"0x13"},
                                                         }));
}

TEST(MelodyReader, CommasMustSeparateTheElements) {
    EXPECT_EQ(findingsOf(u"{0x01 0x02,0}"), (std::vector<Seen>{{Kind::MissingComma, u"0x02"}}));
    EXPECT_EQ(codesOf(readMelody(u"{0x01 0x02,0}")), (std::vector<int>{1, 2, 0}));
    const std::u16string commas = u"{,0x01,,0x02,}";
    const auto seen = findingsOf(commas);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].kind, Kind::ExtraComma);
    EXPECT_EQ(seen[1].kind, Kind::ExtraComma);
    EXPECT_EQ(seen[2], (Seen{Kind::NoEndBeforeBrace, u"}"}));
    const auto f = readMelody(commas).findings;
    EXPECT_EQ(f[0].begin, 1u);
    EXPECT_EQ(f[1].begin, 7u);
    // After a bad token the user is mid-word; one underline there is enough.
    EXPECT_EQ(findingsOf(u"{0x01 @ 0x02, 0}"), (std::vector<Seen>{{Kind::NotALiteral, u"@"}}));
}

TEST(MelodyReader, AnOpenCommentSwallowsTheRest) {
    EXPECT_EQ(findingsOf(u"{0x01, /* 0x02, 0x00};\r\n"),
              (std::vector<Seen>{{Kind::OpenComment, u"/* 0x02, 0x00};\r\n"}}));
    EXPECT_EQ(findingsOf(u"/* {0x01,0x00};"),
              (std::vector<Seen>{{Kind::NoOpeningBrace, u"/* {0x01,0x00};"},
                                 {Kind::OpenComment, u"/* {0x01,0x00};"}}));
}

TEST(MelodyReader, WithoutOpeningBraceTheFirstLineIsMarked) {
    EXPECT_EQ(findingsOf(u"\r\n  \t0x03, 0x00 \r\nmore"),
              (std::vector<Seen>{{Kind::NoOpeningBrace, u"0x03, 0x00"}}));
    EXPECT_EQ(findingsOf(u" \u2029\u3000x}"),
              (std::vector<Seen>{{Kind::NoOpeningBrace, u"\u3000x}"}}));
    EXPECT_EQ(findingsOf(u"  \r\n"), (std::vector<Seen>{{Kind::NoOpeningBrace, u"  \r\n"}}));
    EXPECT_EQ(findingsOf(u"// {\r\n"), (std::vector<Seen>{{Kind::NoOpeningBrace, u"// {"}}));
    const Melody empty = readMelody(u"");
    ASSERT_EQ(empty.findings.size(), 1u);
    EXPECT_EQ(empty.findings[0], (Finding{Kind::NoOpeningBrace, 0, 0}));
    EXPECT_TRUE(empty.elements.empty());
}

TEST(MelodyReader, OddCharactersAreTokensLikeAnyOther) {
    std::u16string text = u"{";
    text += u'\0';
    text += u", 0x01,\xd800 , 0x02\xdc00, /";
    const auto seen = findingsOf(text);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], (Seen{Kind::NotALiteral, std::u16string(1, u'\0')}));
    EXPECT_EQ(seen[1], (Seen{Kind::NotALiteral, u"\xd800"}));
    EXPECT_EQ(seen[2], (Seen{Kind::NotALiteral, u"0x02\xdc00"}));
    EXPECT_EQ(seen[3], (Seen{Kind::NotALiteral, u"/"}));
    EXPECT_EQ(seen[4], (Seen{Kind::NoClosingBrace, u"/"}));
}

// What gcc accepts in the initializer beside the composer's own codes. The values are what
// gcc 12 (x86-64) stores in the unsigned char array, printed by a small program built from the
// same initializer; avr-gcc 5.4 compiles each and warns on the same ones. "too large" marks
// those gcc warns about ("changes value", "out of range", "too large for its type").
TEST(MelodyReader, WhatGccAcceptsPlaysItsLowByteAndIsAHint) {
    struct Case {
        std::u16string_view element;
        int code;
        bool tooLarge;
    };
    const Case cases[] = {
        {u"'a'", 0x61, false},
        {u"'\\n'", 0x0a, false},
        {u"'\\x41'", 0x41, false},
        {u"'\\x0041'", 0x41, false},
        {u"'\\101'", 0x41, false},
        {u"'\\''", 0x27, false},
        {u"'\\\\'", 0x5c, false},
        {u"'\\e'", 0x1b, false}, // GNU
        {u"'\\q'", 0x71, false}, // unknown escape: warned, the letter itself
        {u"'\\xff'", 0xff, false},
        {u"'\\0a'", 0x61, false}, // two characters packed: 0x0061
        {u"'ab'", 0x62, true},    // 0x6162
        {u"'abcde'", 0x65, true}, // too long: the last four bytes
        {u"'é'", 0xa9, true},     // UTF-8 C3 A9: 50089
        {u"'中'", 0xad, true},    // E4 B8 AD
        {u"'\\u00e9'", 0xa9, true},
        {u"'\\U0001F600'", 0x80, true}, // F0 9F 98 80: negative as an int
        {u"'\\xfff'", 0xff, true},
        {u"'\\777'", 0xff, true},
        {u"L'a'", 0x61, false},
        {u"U'a'", 0x61, false},
        {u"u'ab'", 0x62, false}, // too long: the last character
        {u"L'é'", 0xe9, false},
        {u"u'\\xfff'", 0xff, true},
        {u"-1", 0xff, false},
        {u"+3", 0x03, false},
        {u"- 1", 0xff, false},
        {u"-0x01", 0xff, false},
        {u"-1u", 0xff, false}, // gcc warns here (an unsigned -1); the reader reads it as -1
        {u"- -1", 0x01, false},
        {u"-+-1", 0x01, false},
        {u"-/* sign */\r\n1", 0xff, false},
        {u"-'a'", 0x9f, false},
        {u"-128", 0x80, false},
        {u"-129", 0x7f, true},
        {u"-200", 0x38, true},
        {u"-255", 0x01, true},
        {u"+256", 0x00, true},
        {u"-0x1ff", 0x01, true},
        {u"- - 300", 0x2c, true},
        {u"0x10 - 1", 0x0f, false},
        {u"0x01 -1", 0x00, false},
        {u"1+2+3", 0x06, false},
        {u"200 + 100", 0x2c, true},
        {u"0b101", 0x05, false},
        {u"0B1", 0x01, false},
        {u"0b11u", 0x03, false},
        {u"0b1ULL", 0x01, false},
        {u"0b100000000", 0x00, true},
    };
    for (const Case& c : cases) {
        const std::u16string text = u"{" + std::u16string(c.element) + u", 0x00}";
        SCOPED_TRACE(std::string(c.element.begin(), c.element.end()));
        const Melody m = readMelody(text);
        ASSERT_EQ(m.elements.size(), 2u);
        EXPECT_EQ(m.elements[0].code, c.code);
        EXPECT_EQ(spanOf(text, m.elements[0].begin, m.elements[0].end), c.element);
        std::vector<Seen> expected;
        if (c.tooLarge) {
            expected.push_back({Kind::ValueTooLarge, std::u16string(c.element)});
        }
        if (c.code >= 0xe0 && c.code < 0xf8) {
            expected.push_back({Kind::NoPitch, std::u16string(c.element)});
        }
        if (c.code == 0) {
            expected.push_back({Kind::AfterEnd, u"0x00"});
        }
        // On the element after its other findings, before the next element's.
        const auto next = std::find_if(expected.begin(), expected.end(), [](const Seen& seen) {
            return seen.kind == Kind::AfterEnd;
        });
        expected.insert(next, {Kind::NotAComposerCode, std::u16string(c.element)});
        EXPECT_EQ(findingsOf(text), expected);
    }
    EXPECT_EQ(findingWeight(Kind::NotAComposerCode), FindingWeight::Hint);

    // The composer's own forms, and decimal and octal, stay unmarked.
    EXPECT_TRUE(findingsOf(u"{0x1f, 0X1F, 31, 037, 0x1fU, 0}").empty());
    // Two elements without a comma are still two; a sign after an element joins it, as in C.
    EXPECT_EQ(codesOf(readMelody(u"{0x01 'a', 0}")), (std::vector<int>{0x01, 0x61, 0}));
    EXPECT_EQ(codesOf(readMelody(u"{0x03 -1, 0}")), (std::vector<int>{0x02, 0}));
}

TEST(MelodyReader, OnlyTheUnfinishedAndTheUnusualAreQuiet) {
    for (int k = 0; k < kFindingKinds; ++k) {
        const auto kind = static_cast<Kind>(k);
        const bool hint = kind == Kind::NoClosingBrace || kind == Kind::NotAComposerCode;
        EXPECT_EQ(findingWeight(kind), hint ? FindingWeight::Hint : FindingWeight::Error) << k;
    }
    // The start-up text has its quiet hint on "{" and nothing else.
    const Melody start = readMelody(u"const unsigned char music_item[] = {\r\n");
    EXPECT_EQ(start.findings, (std::vector<Finding>{{Kind::NoClosingBrace, 35, 36}}));
    // A melody cut off by an open comment is wrong, not unfinished.
    EXPECT_EQ(findingsOf(u"{0x03, /* 0x00};"),
              (std::vector<Seen>{{Kind::OpenComment, u"/* 0x00};"}}));
}

TEST(MelodyReader, WhatStandsBeforeTheBraceMustDeclareTheArray) {
    const std::u16string_view accepted[] = {
        u"const unsigned char music_item[] = {",
        u"{",
        u"#include <avr/pgmspace.h>\r\n#define TEMPO 120 /* { */\r\n"
        u"const unsigned char music_item[] PROGMEM = {",
        u"static const __flash uint8_t music_item[16] = {",
        u"const uint8_t music_item[] __attribute__((section(\".progmem.data\"), used)) = {",
        u"// melody\r\n#define N 15\r\nextern const unsigned char melody[];\r\n"
        u"volatile const unsigned char /* of */ melody[N + 1] = {",
        u"#define OPEN { \\\r\n }\r\nconst char *name = \"{\";\r\n"
        u"const unsigned char music_item[] = {",
    };
    for (const auto prefix : accepted) {
        SCOPED_TRACE(std::string(prefix.begin(), prefix.end()));
        const std::u16string text = std::u16string(prefix) + u"\r\n0x01,0x00};";
        const Melody m = readMelody(text);
        EXPECT_TRUE(m.findings.empty());
        EXPECT_EQ(codesOf(m), (std::vector<int>{0x01, 0x00}));
    }

    // avr-gcc 5.4 rejects each of these with an error ("expected identifier or '(' before '}'
    // token", "stray '\346' in program", ...), but for "music_item = {", a single int that only
    // takes the first element, with warnings.
    EXPECT_EQ(findingsOf(u"} const … = } 0x13 {"), (std::vector<Seen>{
                                                       {Kind::BraceOutOfOrder, u"}"},
                                                       {Kind::NotADeclaration, u"const … ="},
                                                       {Kind::BraceOutOfOrder, u"}"},
                                                       {Kind::NotADeclaration, u"0x13"},
                                                       {Kind::NoClosingBrace, u"{"},
                                                   }));
    const std::u16string_view rejected[] = {
        u"music_item =",
        u"const unsigned char music_item[]",
        u"const unsigned char music_item[] = 0x13",
        u"const unsigned char 旋律[] =",
        u"Hello, world!\r\nconst unsigned char music_item[] =",
        u"const unsigned char music_item[] __attribute__((used) =",
        u"const unsigned char music_item[][4] =",
    };
    for (const auto prefix : rejected) {
        SCOPED_TRACE(std::string(prefix.begin(), prefix.end()));
        EXPECT_EQ(findingsOf(std::u16string(prefix) + u" {0x00};"),
                  (std::vector<Seen>{{Kind::NotADeclaration, std::u16string(prefix)}}));
    }
    EXPECT_EQ(findingsOf(u"0x13; const unsigned char x[] = {0};"),
              (std::vector<Seen>{{Kind::NotADeclaration, u"0x13"}}));
    EXPECT_EQ(findingWeight(Kind::NotADeclaration), FindingWeight::Error);
    EXPECT_EQ(findingWeight(Kind::BraceOutOfOrder), FindingWeight::Error);
}

// An open quote looks ahead to the end of its line; a line of escaped quotes must not make each
// of them look again. Timed against a plain text of the same length read in the same run.
TEST(MelodyReader, QuotesThatNeverCloseAreReadInLinearTime) {
    std::u16string hostile = u"'\"";
    for (int i = 0; i < 20000; ++i) {
        hostile += u"\\'\\\"";
    }
    hostile += u" x[] = {'";
    for (int i = 0; i < 20000; ++i) {
        hostile += u"\\'";
    }
    std::u16string plain = u"const unsigned char music_item[] = {";
    while (plain.size() < hostile.size()) {
        plain += u"0x1f,";
    }
    const auto time = [](const std::u16string& text) {
        const auto start = std::chrono::steady_clock::now();
        const Melody m = readMelody(text);
        EXPECT_FALSE(m.findings.empty());
        return std::chrono::steady_clock::now() - start;
    };
    time(plain);
    EXPECT_LT(time(hostile), 50 * time(plain));
}

} // namespace
} // namespace quillon
