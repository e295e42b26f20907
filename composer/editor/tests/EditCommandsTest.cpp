#include "EditorHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon::test {
namespace {

struct Case {
    std::u16string before;
    std::u16string after;
};

TEST(EditCommands, LineBreakEndAndRestAppendBehindWhateverIsThere) {
    EditorHarness h;
    h.editor.AppendLineBreak();
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"\r\n");
    h.editor.AppendTerminator();
    h.editor.AppendTerminator();
    h.editor.AppendCodeItem(u"0xf8");
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"\r\n0x00};\r\n0x00};\r\n0xf8,");
    h.text1.type(h.text1.text().size(), u"abc");
    h.editor.AppendCodeItem(u"0x03");
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"\r\n0x00};\r\n0x00};\r\n0xf8,abc0x03,");
}

TEST(EditCommands, AppendsAndExtendWriteOnlyWhatTheyChange) {
    // A click costs the same at the end of a long melody: no command but Clear and start-up
    // writes the whole text.
    EditorHarness h;
    const int wholeWrites = h.text1.wholeWrites;
    std::u16string expected = kHeaderLine;
    for (int note = 1; note <= 40; ++note) {
        h.editor.AppendCodeItem(u"0x82");
        expected += u"0x82,";
        if (note % 16 == 0) {
            expected += u"\r\n";
        }
    }
    h.editor.AppendCodeItem(u"0xf8");
    h.editor.AppendLineBreak();
    h.editor.ExtendLastCode();
    expected += u"0xF9,\r\n";
    // Of "0xf8," only the digits that change.
    EXPECT_EQ(h.text1.lastRange, (TextChange{expected.size() - 5, 2, u"F9"}));
    h.editor.AppendTerminator();
    expected += u"0x00};\r\n";
    EXPECT_EQ(h.text1.text(), expected);
    EXPECT_EQ(h.text1.wholeWrites, wholeWrites);
}

TEST(EditCommands, ExtendRaisesTheLastItemByOne) {
    const std::vector<Case> cases = {
        {u"0x03,", u"0x04,"},         {u"0x07,", u"0x08,"},
        {u"0x0e,", u"0x0F,"},         {u"0x0f,", u"0x10,"},
        {u"0xd9,", u"0xDA,"},         {u"0xDA,", u"0xDB,"},
        {u"0xf8,", u"0xF9,"},         {u"0xdb,\r\n", u"0xDC,\r\n"},
        {u"0x0e,\r\n", u"0x0F,\r\n"}, {u"0x0a,\r\n\r\n", u"0x0B,\r\n\r\n"},
    };
    for (const auto& c : cases) {
        EditorHarness h;
        h.editor.AppendCodeItem(u"0x01");
        h.text1.setText(h.text1.text() + c.before);
        const int events = h.text1.changeEvents;
        h.editor.ExtendLastCode();
        EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x01," + c.after);
        EXPECT_EQ(h.text1.changeEvents, events + 1);
    }

    // A code item typed by hand, in either case of x, after a brace or a blank.
    for (const std::u16string before : {u"{0X1f,", u" 0x1f,"}) {
        EditorHarness h;
        h.text1.setText(kHeaderLine + before);
        h.editor.ExtendLastCode();
        EXPECT_EQ(h.text1.text(), kHeaderLine + before.substr(0, before.size() - 3) + u"20,");
    }

    EditorHarness h;
    h.editor.AppendCodeItem(u"0x0d");
    for (const char16_t* expected : {u"0x0E,", u"0x0F,", u"0x10,"}) {
        h.editor.ExtendLastCode();
        EXPECT_EQ(h.text1.text(), kHeaderLine + expected);
    }
}

TEST(EditCommands, ExtendAfterTheAutomaticBreakKeepsTheBreak) {
    EditorHarness h;
    for (int i = 0; i < 16; ++i) {
        h.editor.AppendCodeItem(u"0xdb");
    }
    h.editor.ExtendLastCode();
    std::u16string line;
    for (int i = 0; i < 15; ++i) {
        line += u"0xdb,";
    }
    EXPECT_EQ(h.text1.text(), kHeaderLine + line + u"0xDC,\r\n");
    EXPECT_EQ(h.label3.caption, u" 17");
}

TEST(EditCommands, ExtendLeavesTextsWithoutARaisableItemAlone) {
    const std::vector<std::u16string> texts = {
        kHeaderLine,
        kHeaderLine + u"0x00};\r\n",
        kHeaderLine + u"0x03,abc",
        kHeaderLine + u"0xff,",
        kHeaderLine + u"0xFF,\r\n",
        kHeaderLine + u"0x0g,",
        kHeaderLine + u"0x 3,",
        // Not a code item: raising these would not give C.
        kHeaderLine + u"19,",
        kHeaderLine + u"ab,",
        kHeaderLine + u"x19,",
        kHeaderLine + u"10x19,",
        kHeaderLine + u"音0x19,",
        kHeaderLine + u"0x100,",
        u"",
        u"x",
        u"ab",
        u"\r\n",
    };
    for (const auto& text : texts) {
        EditorHarness h;
        h.text1.setText(text);
        const int events = h.text1.changeEvents;
        const std::u16string caption = h.label3.caption;
        h.editor.ExtendLastCode();
        EXPECT_EQ(h.text1.text(), text);
        EXPECT_EQ(h.text1.changeEvents, events);
        EXPECT_EQ(h.label3.caption, caption);
    }
}

TEST(EditCommands, ClearGoesBackToTheStartUpState) {
    for (const std::u16string& text : {std::u16string(), std::u16string(u"typed by hand")}) {
        EditorHarness h;
        for (int i = 0; i < 20; ++i) {
            h.editor.AppendCodeItem(u"0x03");
        }
        h.text1.setText(text);
        h.editor.Clear();
        EXPECT_EQ(h.text1.text(), kHeaderLine);
        EXPECT_EQ(h.label3.caption, u"0");
        EXPECT_EQ(h.changes(), 1);
        EXPECT_EQ(h.breaks(), 0);
        std::u16string expected = kHeaderLine;
        for (int i = 1; i <= 16; ++i) {
            h.editor.AppendCodeItem(u"0x03");
            expected += u"0x03,";
            if (i == 1) {
                EXPECT_EQ(h.label3.caption, u" 1");
            }
        }
        EXPECT_EQ(h.text1.text(), expected + u"\r\n");
    }
}

TEST(EditCommands, RefusedWritesAreSkippedSilently) {
    EditorHarness h;
    h.editor.AppendCodeItem(u"0x03");
    const std::u16string text = h.text1.text();
    const int events = h.text1.changeEvents;
    h.text1.refuse = [](int) { return true; };
    EXPECT_NO_THROW({
        h.editor.ResetMusicText();
        h.editor.AppendCodeItem(u"0x0b");
        h.editor.ExtendLastCode();
        h.editor.AppendLineBreak();
        h.editor.AppendTerminator();
    });
    EXPECT_EQ(h.text1.text(), text);
    EXPECT_EQ(h.text1.changeEvents, events);
    EXPECT_EQ(h.label3.caption, u" 1");

    EXPECT_NO_THROW(h.editor.Clear());
    EXPECT_EQ(h.text1.text(), text);
    EXPECT_EQ(h.label3.caption, u"0");
    EXPECT_EQ(h.changes(), 0);

    h.text1.refuse = nullptr;
    h.text1.refuseReads = true;
    EXPECT_NO_THROW({
        h.editor.AppendCodeItem(u"0x0b");
        h.editor.ExtendLastCode();
        h.editor.AppendLineBreak();
        h.editor.AppendTerminator();
        h.editor.Clear();
    });
    h.text1.refuseReads = false;
    EXPECT_EQ(h.text1.text(), kHeaderLine);
}

TEST(EditCommands, RefusedCaptionStillLetsTheBreakRun) {
    EditorHarness h;
    h.label3.refuse = true;
    for (int i = 0; i < 16; ++i) {
        EXPECT_NO_THROW(h.editor.AppendCodeItem(u"0x03"));
    }
    EXPECT_EQ(h.text1.text().substr(h.text1.text().size() - 3), u",\r\n");
    EXPECT_EQ(h.breaks(), 1);
    EXPECT_NO_THROW(h.editor.Clear());
    EXPECT_EQ(h.label3.caption, u" 0");
    EXPECT_EQ(h.text1.text(), kHeaderLine);
    EXPECT_EQ(h.changes(), 1);
}

TEST(EditCommands, RefusedBreakWriteIsNotCounted) {
    EditorHarness h;
    for (int i = 0; i < 15; ++i) {
        h.editor.AppendCodeItem(u"0x03");
    }
    h.text1.refuse = [](int depth) { return depth > 0; };
    EXPECT_NO_THROW(h.editor.AppendCodeItem(u"0x03"));
    EXPECT_EQ(h.text1.text().substr(h.text1.text().size() - 5), u"0x03,");
    EXPECT_EQ(h.label3.caption, u" 16");
    EXPECT_EQ(h.breaks(), 0);
    h.text1.refuse = nullptr;
    h.editor.AppendCodeItem(u"0x03");
    EXPECT_EQ(h.label3.caption, u" 17");
}

} // namespace
} // namespace quillon::test
