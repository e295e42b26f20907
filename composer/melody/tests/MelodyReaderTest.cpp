#include "quillon/MelodyReader.h"

#include <gtest/gtest.h>

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
                                u"x = {\u20290x01, // 0x02,\u2029/* 0x03, */0x04\u2028,\t\v\f"
                                u"0x05\r\n,0x00}; @@ 0xzz {";
    const Melody m = readMelody(text);
    EXPECT_EQ(codesOf(m), (std::vector<int>{1, 4, 5, 0}));
    EXPECT_TRUE(m.findings.empty());
    EXPECT_EQ(m.elements[1].begin, text.find(u"0x04"));
    EXPECT_EQ(m.elements[2].end, text.find(u"0x05") + 4);
}

TEST(MelodyReader, TokensThatAreNoLiteralAreFoundAndReadingGoesOn) {
    const std::u16string text =
        u"{0xg1, 12a, @, 0x, 08, -1, 0b1, 1lL, 1uu, 0x01, { 0x02, 1.0, x0, 0x00}";
    EXPECT_EQ(findingsOf(text), (std::vector<Seen>{
                                    {Kind::NotALiteral, u"0xg1"},
                                    {Kind::NotALiteral, u"12a"},
                                    {Kind::NotALiteral, u"@"},
                                    {Kind::NotALiteral, u"0x"},
                                    {Kind::NotALiteral, u"08"},
                                    {Kind::NotALiteral, u"-1"},
                                    {Kind::NotALiteral, u"0b1"},
                                    {Kind::NotALiteral, u"1lL"},
                                    {Kind::NotALiteral, u"1uu"},
                                    {Kind::NotALiteral, u"{"},
                                    {Kind::NotALiteral, u"1.0"},
                                    {Kind::NotALiteral, u"x0"},
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

    // Far beyond 64 bits: saturates at 2^64 - 1, whose low byte is 0xff.
    const std::u16string huge = u"{99999999999999999999999999999999, 0xffffffffffffffffffffff, "
                                u"0777777777777777777777777777777777, 256, 0}";
    const Melody h = readMelody(huge);
    EXPECT_EQ(codesOf(h), (std::vector<int>{0xff, 0xff, 0xff, 0x00, 0x00}));
    EXPECT_EQ(h.findings.size(), 5u);
    for (const auto& f : h.findings) {
        EXPECT_TRUE(f.kind == Kind::ValueTooLarge || f.kind == Kind::AfterEnd);
    }
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
    EXPECT_EQ(findingsOf(u"x = {\r\n0x03,0x0b,\r\n"),
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

TEST(MelodyReader, EveryKindHasItsOwnExplanation) {
    std::set<std::u16string_view> messages;
    for (int k = 0; k < kFindingKinds; ++k) {
        const auto message = findingMessage(static_cast<Kind>(k));
        EXPECT_GE(message.size(), 10u) << "kind " << k;
        messages.insert(message);
    }
    EXPECT_EQ(messages.size(), static_cast<std::size_t>(kFindingKinds));
}

} // namespace
} // namespace quillon
