// Undo and redo through the editor: the counters and the count caption travel back with the
// text, and walking the history is never counted as a change.
#include "EditorHarness.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon::test {
namespace {

std::u16string items(const std::u16string& item, int count) {
    std::u16string out;
    for (int i = 1; i <= count; ++i) {
        out += item + u",";
        if (i % 16 == 0) {
            out += u"\r\n";
        }
    }
    return out;
}

// The count as the change handler writes it: a blank, then the digits.
std::u16string caption(int count) {
    const std::string digits = std::to_string(count);
    return u" " + std::u16string(digits.begin(), digits.end());
}

void clicks(EditorHarness& h, int count, std::u16string_view item = u"0x03") {
    for (int i = 0; i < count; ++i) {
        h.editor.AppendCodeItem(item);
    }
}

TEST(EditHistory, UndoAndRedoOfClicksBringBackTheirCount) {
    EditorHarness h;
    clicks(h, 5);
    const int events = h.text1.changeEvents;
    ASSERT_TRUE(h.text1.undo());
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 4));
    EXPECT_EQ(h.label3.caption, u" 4");
    ASSERT_TRUE(h.text1.redo());
    EXPECT_EQ(h.label3.caption, u" 5");
    EXPECT_EQ(h.text1.changeEvents, events);

    // The start-up text is the bottom; undo at the start changes nothing.
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(h.text1.undo());
    }
    EXPECT_FALSE(h.text1.undo());
    EXPECT_EQ(h.text1.text(), kHeaderLine);
    EXPECT_EQ(h.label3.caption, u" 0");
    EXPECT_EQ(h.changes(), 1);
    EXPECT_EQ(h.breaks(), 0);
}

TEST(EditHistory, AnyNumberOfUndosAndRedosKeepsTheLineRhythm) {
    // 16 clicks hold a break; walk all the way down and up again, then go on clicking: the
    // next break still follows the 32nd item, as if the walk never happened.
    for (int walk = 1; walk <= 16; ++walk) {
        EditorHarness h;
        clicks(h, 16);
        for (int i = 0; i < walk; ++i) {
            ASSERT_TRUE(h.text1.undo());
        }
        EXPECT_EQ(h.label3.caption, caption(16 - walk));
        for (int i = 0; i < walk; ++i) {
            ASSERT_TRUE(h.text1.redo());
        }
        EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 16));
        EXPECT_EQ(h.label3.caption, u" 16");
        clicks(h, 16);
        EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 32));
        EXPECT_EQ(h.label3.caption, u" 32");
        EXPECT_EQ(h.changes(), 35);
        EXPECT_EQ(h.breaks(), 2);
    }
}

TEST(EditHistory, UndoOfClearBringsBackTheMelodyAndItsCount) {
    EditorHarness h;
    clicks(h, 20);
    h.editor.Clear();
    EXPECT_EQ(h.label3.caption, u"0");
    ASSERT_TRUE(h.text1.undo());
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 20));
    EXPECT_EQ(h.label3.caption, u" 20");
    // The next break follows the 32nd item, as it would have without the Clear.
    clicks(h, 12);
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 32));

    // Redo of a Clear shows the bare "0" that Clear writes.
    EditorHarness again;
    clicks(again, 3);
    again.editor.Clear();
    ASSERT_TRUE(again.text1.undo());
    ASSERT_TRUE(again.text1.redo());
    EXPECT_EQ(again.text1.text(), kHeaderLine);
    EXPECT_EQ(again.label3.caption, u"0");
    clicks(again, 1);
    EXPECT_EQ(again.label3.caption, u" 1");
}

TEST(EditHistory, ANewChangeAfterUndoStartsFromTheStateUndoneTo) {
    EditorHarness h;
    clicks(h, 10);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(h.text1.undo());
    }
    h.editor.AppendCodeItem(u"0xf8");
    EXPECT_EQ(h.label3.caption, u" 8");
    EXPECT_FALSE(h.text1.redo());
    // 8 items now: the break comes after 8 more.
    clicks(h, 8);
    EXPECT_EQ(h.text1.text(),
              kHeaderLine + items(u"0x03", 7) + u"0xf8," + items(u"0x03", 8) + u"\r\n");
}

TEST(EditHistory, TheBreakOfATypedEditIsUndoneAlone) {
    EditorHarness h;
    clicks(h, 15);
    // Change 17: the typed character brings the automatic break.
    h.text1.type(0, u"x");
    EXPECT_EQ(h.text1.text(), u"x" + kHeaderLine + items(u"0x03", 15) + u"\r\n");
    EXPECT_EQ(h.label3.caption, u" 16");
    ASSERT_TRUE(h.text1.undo());
    EXPECT_EQ(h.text1.text(), u"x" + kHeaderLine + items(u"0x03", 15));
    EXPECT_EQ(h.label3.caption, u" 16");
    ASSERT_TRUE(h.text1.undo());
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 15));
    EXPECT_EQ(h.label3.caption, u" 15");
    ASSERT_TRUE(h.text1.redo());
    ASSERT_TRUE(h.text1.redo());
    EXPECT_EQ(h.text1.text(), u"x" + kHeaderLine + items(u"0x03", 15) + u"\r\n");
    EXPECT_EQ(h.label3.caption, u" 16");
    clicks(h, 1);
    EXPECT_EQ(h.label3.caption, u" 17");
}

TEST(EditHistory, ARefusedBreakIsFiledUncounted) {
    EditorHarness h;
    h.text1.refuse = [](int depth) { return depth > 0; };
    clicks(h, 16);
    EXPECT_EQ(h.breaks(), 0);
    h.text1.refuse = nullptr;
    h.editor.AppendCodeItem(u"0x0b");
    ASSERT_TRUE(h.text1.undo());
    ASSERT_TRUE(h.text1.redo());
    EXPECT_EQ(h.breaks(), 0);
    EXPECT_EQ(h.label3.caption, u" 17");
}

} // namespace
} // namespace quillon::test
