// Text1's offsets on Windows: the session counts a line break as CR LF, the rich edit control as
// one character. Expected positions are counted by hand on the text below.
#include "CrLfText.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon::win32 {
namespace {

// a b CR LF c d CR LF CR LF e
//  index:    0 1 2  3  4 5 6  7  8  9  10 11(end)
//  position: 0 1 2  2  3 4 5  5  6  6  7  8
constexpr std::u16string_view kText = u"ab\r\ncd\r\n\r\ne";

TEST(CrLfText, ControlPositionsCountEachBreakOnce) {
    CrLfText text;
    text.assign(kText);
    const std::size_t positions[] = {0, 1, 2, 2, 3, 4, 5, 5, 6, 6, 7, 8};
    for (std::size_t index = 0; index < std::size(positions); ++index) {
        EXPECT_EQ(text.positionOf(index), positions[index]) << "index " << index;
    }
    const std::size_t indexes[] = {0, 1, 2, 4, 5, 6, 8, 10, 11, 11};
    for (std::size_t position = 0; position < std::size(indexes); ++position) {
        EXPECT_EQ(text.indexOf(position), indexes[position]) << "position " << position;
    }
}

TEST(CrLfText, EveryBreakReadsAsCrLf) {
    EXPECT_EQ(withCrLf(u"a\nb\rc\r\nd\n\r"), u"a\r\nb\r\nc\r\nd\r\n\r\n");
    CrLfText text;
    text.assign(u"x\ny");
    EXPECT_EQ(text.text(), u"x\r\ny");
    EXPECT_EQ(text.positionOf(4), 3U);
}

TEST(CrLfText, AWriteKeepsTheSamePrefixAndNeverHalfABreak) {
    CrLfText text;
    text.assign(kText);
    EXPECT_EQ(text.commonPrefix(u"ab\r\ncd\r\n\r\ne,"), kText.size());
    EXPECT_EQ(text.commonPrefix(u"ab\r\ncX"), 5U);
    // The CR is kept only together with its LF.
    EXPECT_EQ(text.commonPrefix(u"ab\rX"), 2U);

    text.replaceTail(4, u"x\ny\r\n");
    EXPECT_EQ(text.text(), u"ab\r\nx\r\ny\r\n");
    // a b CR LF x CR LF y CR LF: the breaks stand at positions 2, 4 and 6.
    EXPECT_EQ(text.positionOf(text.text().size()), 7U);
    EXPECT_EQ(text.indexOf(5), 7U);
    // A tail starting between CR and LF takes the CR with it.
    text.replaceTail(3, u"\nz");
    EXPECT_EQ(text.text(), u"ab\r\nz");
    EXPECT_EQ(text.indexOf(3), 4U);
}

} // namespace
} // namespace quillon::win32
