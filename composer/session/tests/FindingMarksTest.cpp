// Underlines from findings: runs of findings side by side on a line become one mark, and a line of
// more marks than a window may draw keeps three, so that however many findings a line holds the
// window draws a handful of marks; and how a window keeps the marks it was given.
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

std::u16string repeated(std::u16string_view item, std::size_t times) {
    std::u16string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += item;
    }
    return out;
}

Finding hintAt(std::size_t begin, std::size_t length) {
    return {FindingKind::NotAComposerCode, begin, begin + length};
}
Finding errorAt(std::size_t begin) {
    return {FindingKind::NotALiteral, begin, begin + 1};
}

// An item of `itemLength` `times` over from `at`: its hint of `hintLength` at `hintOffset` and its
// error at `errorOffset` within it (npos for none).
void place(std::vector<Finding>& into, std::size_t at, std::size_t itemLength, std::size_t times,
           std::size_t hintOffset, std::size_t hintLength, std::size_t errorOffset) {
    for (std::size_t i = 0; i < times; ++i) {
        const std::size_t start = at + i * itemLength;
        if (hintOffset != std::u16string::npos) {
            into.push_back(hintAt(start + hintOffset, hintLength));
        }
        if (errorOffset != std::u16string::npos) {
            into.push_back(errorAt(start + errorOffset));
        }
    }
}

TEST(FindingMarks, ALineOfMoreMarksThanItMayHoldKeepsThree) {
    constexpr std::size_t none = std::u16string::npos;
    struct Case {
        const char* name;
        std::u16string text;
        std::vector<Finding> findings;
        std::vector<TextMark> marks;
    };
    std::vector<Case> cases;
    {
        // 'a',@, : a hint of 3 at 0, an error at 4, every 6: no two alike side by side.
        Case c{"sixteen alternating marks stay", repeated(u"'a',@,", 8), {}, {}};
        place(c.findings, 0, 6, 8, 0, 3, 4);
        for (std::size_t i = 0; i < 8; ++i) {
            c.marks.push_back({6 * i, 6 * i + 3, MarkStyle::Hint});
            c.marks.push_back({6 * i + 4, 6 * i + 5, MarkStyle::Error});
        }
        cases.push_back(std::move(c));
    }
    {
        Case c{"seventeen alternating pairs: the first hint, then one error to the last",
               repeated(u"'a',@,", 17),
               {},
               {}};
        place(c.findings, 0, 6, 17, 0, 3, 4);
        c.marks = {{0, 3, MarkStyle::Hint}, {4, 6 * 16 + 5, MarkStyle::Error}};
        cases.push_back(std::move(c));
    }
    {
        // @,0x12, : errors 7 apart with a good element between, then a line of one error.
        Case c{"separate errors merge, the next line keeps its own",
               repeated(u"@,0x12,", 17) + u"\r\n@",
               {},
               {}};
        place(c.findings, 0, 7, 17, none, 0, 0);
        c.findings.push_back(errorAt(121));
        c.marks = {{0, 7 * 16 + 1, MarkStyle::Error}, {121, 122, MarkStyle::Error}};
        cases.push_back(std::move(c));
    }
    {
        Case c{"hints alone become one hint", repeated(u"'a',0x12,", 17), {}, {}};
        place(c.findings, 0, 9, 17, 0, 3, none);
        c.marks = {{0, 9 * 16 + 3, MarkStyle::Hint}};
        cases.push_back(std::move(c));
    }
    {
        Case c{"hints on both sides of one error",
               repeated(u"'a',0x12,", 10) + u"@,0x12," + repeated(u"'a',0x12,", 10),
               {},
               {}};
        place(c.findings, 0, 9, 10, 0, 3, none);
        c.findings.push_back(errorAt(90));
        place(c.findings, 97, 9, 10, 0, 3, none);
        c.marks = {{0, 9 * 9 + 3, MarkStyle::Hint},
                   {90, 91, MarkStyle::Error},
                   {97, 97 + 9 * 9 + 3, MarkStyle::Hint}};
        cases.push_back(std::move(c));
    }
    {
        // Seventeen lines of one error each: a line holds one mark, however many lines.
        Case c{"one mark on each of many lines", repeated(u"@,\r\n", 17), {}, {}};
        place(c.findings, 0, 4, 17, none, 0, 0);
        for (std::size_t i = 0; i < 17; ++i) {
            c.marks.push_back({4 * i, 4 * i + 1, MarkStyle::Error});
        }
        cases.push_back(std::move(c));
    }
    for (const Case& c : cases) {
        EXPECT_EQ(marksFor(c.findings, c.text), c.marks) << c.name;
    }
}

TEST(FindingMarks, AlternatingFindingsFromTheReaderCostALineThreeMarksAtMost) {
    const std::u16string header = u"const unsigned char music_item[] = {\r\n";
    for (const std::u16string_view item : {u"'a',@,", u"@,0x12,'a',"}) {
        const std::u16string text = header + repeated(item, 32000);
        const Melody melody = readMelody(text);
        ASSERT_GE(melody.findings.size(), 64000U);
        const std::vector<TextMark> marks = marksFor(melody.findings, text);
        ASSERT_FALSE(marks.empty());
        ASSERT_LE(marks.size(), 3U);
        // The first finding is where the line begins; the error mark reaches the last error.
        EXPECT_EQ(marks.front().begin, header.size());
        EXPECT_GE(marks.back().end, text.rfind(u'@') + 1);
    }
}

TEST(FindingMarks, MarksFollowAnEditAndWindowsFindTheirs) {
    const std::vector<TextMark> marks = {{2, 4, MarkStyle::Error}, {6, 8, MarkStyle::Hint}};
    const struct {
        const char* name;
        TextEdit edit;
        std::vector<TextMark> after;
    } edits[] = {
        {"typed before both", {0, 0, 3}, {{5, 7, MarkStyle::Error}, {9, 11, MarkStyle::Hint}}},
        {"typed at a begin: in the mark",
         {2, 2, 3},
         {{2, 5, MarkStyle::Error}, {7, 9, MarkStyle::Hint}}},
        {"typed at an end: in the mark",
         {4, 4, 5},
         {{2, 5, MarkStyle::Error}, {7, 9, MarkStyle::Hint}}},
        {"a mark's characters deleted", {1, 5, 1}, {{2, 4, MarkStyle::Hint}}},
        {"replaced inside a mark", {6, 7, 9}, {{2, 4, MarkStyle::Error}, {6, 10, MarkStyle::Hint}}},
        {"after both", {9, 12, 9}, {{2, 4, MarkStyle::Error}, {6, 8, MarkStyle::Hint}}},
    };
    for (const auto& e : edits) {
        std::vector<TextMark> moved = marks;
        followEdit(moved, e.edit);
        EXPECT_EQ(moved, e.after) << e.name;
    }

    const std::vector<TextMark> shown = {
        {0, 2, MarkStyle::Error}, {4, 6, MarkStyle::Hint}, {8, 9, MarkStyle::Error}};
    const auto within = [&](std::size_t begin, std::size_t end) {
        const std::span<const TextMark> found = marksWithin(shown, begin, end);
        return std::vector<TextMark>(found.begin(), found.end());
    };
    EXPECT_TRUE(within(2, 4).empty());
    EXPECT_EQ(within(1, 5), std::vector<TextMark>(shown.begin(), shown.begin() + 2));
    EXPECT_EQ(within(5, 100), std::vector<TextMark>(shown.begin() + 1, shown.end()));

    const std::vector<TextMark> next = {
        {0, 2, MarkStyle::Error}, {4, 7, MarkStyle::Hint}, {10, 12, MarkStyle::Error}};
    const std::vector<TextMark> changed = {{4, 6, MarkStyle::Hint},
                                           {4, 7, MarkStyle::Hint},
                                           {8, 9, MarkStyle::Error},
                                           {10, 12, MarkStyle::Error}};
    EXPECT_EQ(marksChanged(shown, next), changed);
    EXPECT_TRUE(marksChanged(shown, shown).empty());
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
