// The composer's own texts, made by the editor's commands, read back to the clicks that made
// them.
#include "EditorHarness.h"
#include "quillon/MelodyReader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quillon {
namespace {

using test::EditorHarness;

// Code of note button Command<g><r><c>, from the note code table's rule, written out here
// rather than taken from the editor.
int buttonCode(int group, int row, int degree) {
    return ((group - 1) * 7 + (degree - 1)) * 8 + 4 - row;
}

std::u16string item(int code) {
    static constexpr char16_t digits[] = u"0123456789abcdef";
    return {u'0', u'x', digits[code >> 4], digits[code & 15]};
}

struct Composed {
    std::vector<int> codes;
    std::u16string text;
};

// Random clicks on notes, rest, extend and line break; the expected codes follow the buttons'
// rules: a note or rest appends its code, extend raises the last code unless it is 0xff.
Composed compose(unsigned seed, int clicks) {
    EditorHarness h;
    Composed c;
    std::mt19937 random(seed);
    for (int i = 0; i < clicks; ++i) {
        const auto pick = random() % 20;
        if (pick < 13) {
            const int code =
                buttonCode(static_cast<int>(random() % 4 + 1), static_cast<int>(random() % 3 + 1),
                           static_cast<int>(random() % 7 + 1));
            h.editor.AppendCodeItem(item(code));
            c.codes.push_back(code);
        } else if (pick < 15) {
            h.editor.AppendCodeItem(u"0xf8");
            c.codes.push_back(0xf8);
        } else if (pick < 19) {
            h.editor.ExtendLastCode();
            if (!c.codes.empty() && c.codes.back() < 0xff) {
                ++c.codes.back();
            }
        } else {
            h.editor.AppendLineBreak();
        }
    }
    c.text = h.text1.text();
    return c;
}

std::vector<int> codesOf(const Melody& m) {
    std::vector<int> codes;
    for (const auto& e : m.elements) {
        codes.push_back(e.code);
    }
    return codes;
}

TEST(ComposerText, ReadsBackToTheClicksThatMadeIt) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        Composed c = compose(seed, 200);
        // Extend raises a B6 through 0xdf into the indexes without pitch (0xe0..0xf7).
        std::vector<std::size_t> pitchless;
        for (std::size_t k = 0; k < c.codes.size(); ++k) {
            if (c.codes[k] >= 0xe0 && c.codes[k] < 0xf8) {
                pitchless.push_back(k);
            }
        }

        // In progress: no terminator yet, so the last item is marked.
        Melody m = readMelody(c.text);
        ASSERT_EQ(codesOf(m), c.codes);
        EXPECT_EQ(m.played, c.codes.size());
        ASSERT_FALSE(m.findings.empty());
        EXPECT_EQ(m.findings.back().kind, FindingKind::NoClosingBrace);
        EXPECT_EQ(m.findings.back().begin, m.elements.back().begin);
        for (const auto& e : m.elements) {
            // Each element is its item, "0x" and two digits, whatever their case.
            const std::u16string_view literal(c.text.data() + e.begin, e.end - e.begin);
            ASSERT_EQ(literal.size(), 4u);
            EXPECT_EQ(std::stoi(std::string(literal.begin(), literal.end()), nullptr, 16), e.code);
        }

        // Finished with End: every code plays and the terminator ends it.
        EditorHarness h;
        h.text1.setText(c.text);
        h.editor.AppendTerminator();
        m = readMelody(h.text1.text());
        c.codes.push_back(0);
        EXPECT_EQ(codesOf(m), c.codes);
        EXPECT_EQ(m.played, c.codes.size() - 1);
        ASSERT_EQ(m.findings.size(), pitchless.size());
        for (std::size_t k = 0; k < pitchless.size(); ++k) {
            EXPECT_EQ(m.findings[k].kind, FindingKind::NoPitch);
            EXPECT_EQ(m.findings[k].begin, m.elements[pitchless[k]].begin);
        }
    }
}

TEST(ComposerText, TheStartUpTextAndAClearedOneWaitForNotes) {
    EditorHarness h;
    Melody m = readMelody(h.text1.text());
    EXPECT_TRUE(m.elements.empty());
    ASSERT_EQ(m.findings.size(), 1u);
    EXPECT_EQ(m.findings[0].kind, FindingKind::NoClosingBrace);
    EXPECT_EQ(h.text1.text()[m.findings[0].begin], u'{');

    h.editor.AppendCodeItem(u"0xdb");
    h.editor.AppendTerminator();
    h.editor.AppendCodeItem(u"0x03");
    m = readMelody(h.text1.text());
    EXPECT_EQ(codesOf(m), (std::vector<int>{0xdb, 0}));
    EXPECT_EQ(m.played, 1u);
    EXPECT_TRUE(m.findings.empty()) << "what follows the brace is not the array's business";
}

} // namespace
} // namespace quillon
