// Underlines from findings: runs of findings side by side on a line become one mark, so that
// however many findings a line holds the window draws a handful of marks.
#include "quillon/FindingMarks.h"
#include "quillon/MelodyReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

Finding error(std::size_t begin, std::size_t end) {
    return {FindingKind::NotALiteral, begin, end};
}
Finding hint(std::size_t begin, std::size_t end) {
    return {FindingKind::NoClosingBrace, begin, end};
}

TEST(FindingMarks, RunsOnALineMergeAndStylesStayApart) {
    const struct {
        const char* name;
        std::u16string text;
        std::vector<Finding> findings;
        std::vector<TextMark> marks;
    } cases[] = {
        {"commas and blanks between",
         u"a,a, a,\tb",
         {error(0, 1), error(2, 3), error(5, 6), error(8, 9)},
         {{0, 9, MarkStyle::Error}}},
        {"a line break between",
         u"a,\r\na",
         {error(0, 1), error(4, 5)},
         {{0, 1, MarkStyle::Error}, {4, 5, MarkStyle::Error}}},
        {"a good element between",
         u"a,0x03,a",
         {error(0, 1), error(7, 8)},
         {{0, 1, MarkStyle::Error}, {7, 8, MarkStyle::Error}}},
        {"nested and overlapping",
         u"abcdef",
         {error(0, 4), error(1, 2), error(3, 6)},
         {{0, 6, MarkStyle::Error}}},
        {"a hint beside an error",
         u"a,b",
         {error(0, 1), hint(2, 3)},
         {{0, 1, MarkStyle::Error}, {2, 3, MarkStyle::Hint}}},
        {"an error inside a hint cuts it",
         u"abcdefgh",
         {hint(0, 8), error(3, 5)},
         {{0, 3, MarkStyle::Hint}, {3, 5, MarkStyle::Error}, {5, 8, MarkStyle::Hint}}},
        {"a hint under an error goes",
         u"abcd",
         {error(0, 4), hint(2, 3)},
         {{0, 4, MarkStyle::Error}}},
        {"empty and past the end", u"ab", {error(1, 1), error(1, 9)}, {{1, 2, MarkStyle::Error}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(marksFor(c.findings, c.text), c.marks) << c.name;
    }
}

TEST(FindingMarks, SixtyFourThousandFindingsOnOneLineAreOneMark) {
    std::u16string text = u"const unsigned char music_item[] = {\r\n";
    const std::size_t start = text.size();
    for (int i = 0; i < 64000; ++i) {
        text += u"a,";
    }
    const Melody melody = readMelody(text);
    ASSERT_GE(melody.findings.size(), 64000U);
    const std::vector<TextMark> marks = marksFor(melody.findings, text);
    ASSERT_EQ(marks.size(), 1U);
    EXPECT_EQ(marks[0].begin, start);
    EXPECT_EQ(marks[0].style, MarkStyle::Error);
}

} // namespace
} // namespace quillon
