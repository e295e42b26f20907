#include "quillon/MelodyCheck.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quillon {
namespace {

// A text as the composer writes it: header, codes 16 to a line, CR LF.
std::u16string composerText(std::size_t codes, std::mt19937& random) {
    static constexpr char16_t digits[] = u"0123456789abcdef";
    std::u16string text = u"const unsigned char music_item[] = {\r\n";
    for (std::size_t i = 1; i <= codes; ++i) {
        const auto code = static_cast<unsigned>(random() % 0xff + 1);
        text += {u'0', u'x', digits[code >> 4], digits[code & 15], u','};
        if (i % 16 == 0) {
            text += u"\r\n";
        }
    }
    return text;
}

// Pieces that change how what follows them reads: ends, comments, quotes, signs, braces,
// preprocessor lines, declarations, line breaks of both kinds.
// clang-format off
const std::u16string_view kPieces[] = {
    u"0x1f,", u"0x00", u"0x00};", u"0xe0,",  u"}",        u"{",      u"/*",     u"*/",
    u"//",    u"'a'",  u"'",      u"','",    u"-",        u"+ 1,",   u"0b1,",   u"\r\n",
    u" ",     u",",    u",,",     u"@",      u";",        u"0x",     u"1",      u"f",
    u"\"{\"", u"\\",   u"\u2029", u"L'é',",  u"#define X {\r\n",     u"const unsigned char m[] =",
    u"0x1g,", u"0x1ff,"};
// clang-format on

TEST(MelodyCheck, EqualsAFullReadAfterEveryEdit) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        const auto below = [&](std::size_t n) { return n == 0 ? 0 : random() % n; };
        std::u16string text = composerText(600 + below(200), random);
        std::vector<std::u16string> earlier;
        MelodyCheck check;
        // Told by its caller where the text changed, as the composer's history tells it.
        MelodyCheck told;
        std::u16string previous;
        for (int step = 0; step < 300; ++step) {
            const auto piece = kPieces[below(std::size(kPieces))];
            switch (below(8)) {
            case 0: // a click: one item at the end
            case 1:
                text += u"0x73,";
                break;
            case 2:
                text.insert(below(text.size() + 1), piece);
                break;
            case 3: {
                const std::size_t at = below(text.size() + 1);
                text.erase(at, below(24));
                break;
            }
            case 4: {
                const std::size_t at = below(text.size() + 1);
                text.replace(at, below(8), piece);
                break;
            }
            case 5:
                text += piece;
                break;
            case 6: // undo to any earlier text
                if (!earlier.empty()) {
                    text = earlier[below(earlier.size())];
                }
                break;
            default:
                text.erase(text.size() - below(std::min<std::size_t>(text.size(), 12) + 1));
                break;
            }
            earlier.push_back(text);
            ASSERT_TRUE(check.read(text) == readMelody(text))
                << "seed " << seed << " step " << step;
            std::size_t same = 0;
            while (same < previous.size() && same < text.size() && previous[same] == text[same]) {
                ++same;
            }
            ASSERT_TRUE(told.read(text, same) == readMelody(text))
                << "seed " << seed << " step " << step << ", told";
            previous = text;
        }
        // Reading the same text again, and a copy of the check, give the same.
        const MelodyCheck copy = check;
        EXPECT_TRUE(check.read(text) == readMelody(text));
        EXPECT_TRUE(copy.melody() == readMelody(text));
    }
}

// A quote that closes later on its line makes one constant of all between, commas included:
// what was read from the opening quote on must be read again.
TEST(MelodyCheck, AQuoteClosedLaterOnItsLineIsReadAgain) {
    std::u16string text = u"const unsigned char m[] = {\r\n'a, ";
    for (int i = 0; i < 300; ++i) {
        text += u"0x1f, ";
    }
    const std::size_t lineEnd = text.size();
    text += u"\r\n0x00};";
    MelodyCheck check;
    EXPECT_EQ(check.read(text).elements.size(), 301u);

    text.insert(lineEnd, u"'");
    const Melody& m = check.read(text);
    EXPECT_TRUE(m == readMelody(text));
    // One multi-character constant (its last byte a space) and the 0x00.
    ASSERT_EQ(m.elements.size(), 2u);
    EXPECT_EQ(m.elements[0].code, 0x20);

    // A quote open to the end of the text closes when the text goes on.
    std::u16string open = u"'x[] = {";
    for (int i = 0; i < 100; ++i) {
        open += u"0x1f, ";
    }
    EXPECT_TRUE(check.read(open) == readMelody(open));
    open += u"'";
    EXPECT_TRUE(check.read(open) == readMelody(open));
}

} // namespace
} // namespace quillon
