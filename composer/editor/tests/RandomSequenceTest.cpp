#include "EditorHarness.h"
#include "quillon/MusicCode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quillon::test {
namespace {

// Commands and typed edits in a seeded random order, with some automatic breaks refused,
// checked after every step against what must always hold.
TEST(RandomSequence, CountAndBreaksStayConsistent) {
    std::mt19937 rng(20240521);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };

    EditorHarness h;
    int edits = 0;      // changes since the last reset, less the header write and the breaks
    int breaksMade = 0; // automatic breaks since the last reset
    int allBreaks = 0;
    bool refuseBreaks = false;
    h.text1.refuse = [&](int depth) { return depth > 0 && refuseBreaks; };
    h.text1.onWrite = [&](std::u16string_view before, std::u16string_view after, int depth) {
        if (depth == 0) {
            return;
        }
        ASSERT_EQ(depth, 1);
        EXPECT_EQ(h.changes() % 17, 0);
        EXPECT_EQ(std::u16string(after), std::u16string(before) + u"\r\n");
        ++breaksMade;
        ++allBreaks;
    };

    for (int step = 0; step < 20000; ++step) {
        refuseBreaks = pick(10) == 0;
        const int eventsBefore = h.text1.changeEvents;
        const int breaksBefore = breaksMade;
        const std::u16string textBefore = h.text1.text();
        const std::u16string captionBefore = h.label3.caption;
        int op = pick(12);
        if (op == 4 && pick(20) != 0) {
            op = 7; // Clear now and then, so that the text has time to grow
        }
        switch (op) {
        case 0:
            h.editor.AppendCodeItem(kRestItem);
            break;
        case 1:
            h.editor.ExtendLastCode();
            break;
        case 2:
            h.editor.AppendLineBreak();
            break;
        case 3:
            h.editor.AppendTerminator();
            break;
        case 4:
            h.editor.Clear();
            break;
        case 5:
        case 6: {
            static const std::u16string keys = u"0123456789abcdefxX, \r\n";
            const std::size_t caret = static_cast<std::size_t>(pick(int(textBefore.size()) + 1));
            if (pick(3) == 0 && caret < textBefore.size()) {
                h.text1.type(caret, u"", 1);
            } else {
                h.text1.type(caret,
                             keys.substr(static_cast<std::size_t>(pick(int(keys.size()))), 1));
            }
            break;
        }
        default:
            h.editor.AppendCodeItem(
                codeItem(noteButtonCode(pick(4) + 1, pick(3) + 1, pick(7) + 1)));
        }
        if (op == 4) {
            edits = 0;
            breaksMade = 0;
            EXPECT_EQ(h.label3.caption, u"0");
        } else {
            const int ownEvents = h.text1.changeEvents - eventsBefore - (breaksMade - breaksBefore);
            // Only the extend command may leave the text alone, and then without an event.
            EXPECT_EQ(ownEvents, op == 1 && h.text1.text() == textBefore ? 0 : 1) << op;
            edits += ownEvents;
            const std::string digits = std::to_string(h.changes() - 1 - h.breaks());
            EXPECT_EQ(h.label3.caption, ownEvents == 0
                                            ? captionBefore
                                            : u" " + std::u16string(digits.begin(), digits.end()));
        }
        EXPECT_EQ(h.changes() - 1 - h.breaks(), edits);
        EXPECT_EQ(h.breaks(), breaksMade);
        ASSERT_LE(h.text1.maxDepth, 2);
        if (HasFailure()) {
            FAIL() << "step " << step << ", operation " << op;
        }
    }
    EXPECT_GT(allBreaks, 500); // the sequence did reach the automatic break often
}

} // namespace
} // namespace quillon::test
