// Text1's text on Windows: line breaks as the edit control keeps them, and where a write starts
// to differ from the text before it. Expected values worked out by hand.
#include "EditText.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon::win32 {
namespace {

TEST(EditText, EveryBreakReadsAsCrLf) {
    EXPECT_EQ(withCrLf(u"a\nb\rc\r\nd\n\r"), u"a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(withCrLf(u"\r\r\n\n"), u"\r\n\r\n\r\n");
    EXPECT_EQ(withCrLf(u"0x03,"), u"0x03,");
}

TEST(EditText, AWriteKeepsTheSamePrefixAndNeverHalfABreak) {
    const std::u16string_view before = u"ab\r\ncd\r\n";
    struct Case {
        std::u16string_view now;
        std::size_t kept;
    };
    const Case cases[] = {
        {u"ab\r\ncd\r\n0x03,", 8}, // an append keeps everything
        {u"ab\r\ncX", 5},          // a change inside a line
        {u"ab\rX", 2},             // the CR goes with its LF
        {u"ab\r\ncd\r", 6},        // a break cut in half is rewritten whole
        {u"", 0},
        {u"ab\r\ncd\r\n", 8}, // the same text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(commonPrefix(before, c.now), c.kept) << std::string(c.now.begin(), c.now.end());
    }
}

} // namespace
} // namespace quillon::win32
