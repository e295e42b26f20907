// Undo and redo through the session, as both windows get them: the text, the count and the
// line rhythm travel back together, and walking the history is never a change.
#include "FakeWindow.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

// The undo then redo keys: Ctrl+Z, and both redo keys of the platforms.
TEST(SessionUndo, UndoNeitherBreaksTheLineNorWipesTheRedo) {
    SessionHarness h;
    h.clicks("Command111", 15);
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 14));
    EXPECT_EQ(h.label3.caption, u" 14");
    EXPECT_TRUE(h.session.canRedo());
    EXPECT_TRUE(h.key(Key::Y, true));
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 15));
    EXPECT_EQ(h.label3.caption, u" 15");
    EXPECT_FALSE(h.session.canRedo());
}

// A control that refuses a write while a step is walked keeps its text, and so does the
// history: the step stays where it was, whole, and the user is told that the step stopped.
TEST(SessionUndo, AStepTheControlRefusesHalfwayStaysWhole) {
    SessionHarness h;
    // The 16th click and its automatic break are one step of two writes.
    h.clicks("Command111", 16);
    const std::u16string before = h.text1.text();
    ASSERT_EQ(before, kHeaderLine + items(u"0x03", 16));
    // The break goes back; the note's write is refused.
    h.text1.refusesWrite = 2;
    h.undo();
    EXPECT_EQ(h.text1.text(), before);
    EXPECT_EQ(h.label3.caption, u" 16");
    ASSERT_EQ(h.notice.warnings.size(), 1U);
    EXPECT_NE(h.notice.warnings[0].text.find(u"未能完成"), std::u16string::npos);
    // Nothing was lost: the same step undoes whole once the control takes writes again.
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 15));
    EXPECT_EQ(h.label3.caption, u" 15");
    h.redo();
    EXPECT_EQ(h.text1.text(), before);
}

TEST(SessionUndo, SixteenUndosAndRedosGiveEverythingBackAndKeepTheRhythm) {
    SessionHarness h;
    h.clicks("Command111", 16);
    for (int i = 16; i > 0; --i) {
        h.undo();
        EXPECT_EQ(h.label3.caption, countCaption(i - 1));
        EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", i - 1));
    }
    EXPECT_FALSE(h.session.canUndo());
    for (int i = 1; i <= 16; ++i) {
        h.redo();
        EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", i));
        EXPECT_EQ(h.label3.caption, countCaption(i));
    }
    EXPECT_EQ(h.label3.caption, u" 16");
    // The next break follows item 32, as if nothing had happened.
    h.clicks("Command111", 16);
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 32));
    EXPECT_EQ(h.label3.caption, u" 32");
}

TEST(SessionUndo, UndoOfClearBringsBackTheMelodyAndItsCount) {
    SessionHarness h;
    h.clicks("Command111", 20);
    h.click("Command516");
    EXPECT_EQ(h.label3.caption, u"0");
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 20));
    EXPECT_EQ(h.label3.caption, u" 20");
    h.clicks("Command111", 12);
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 32));

    // Redo of the Clear shows the bare "0" again.
    h.click("Command516");
    h.undo();
    h.redo();
    EXPECT_EQ(h.text1.text(), kHeaderLine);
    EXPECT_EQ(h.label3.caption, u"0");
}

TEST(SessionUndo, EveryCommandIsOneStep) {
    const struct {
        const char* button;
        std::u16string after;
        std::u16string count;
    } cases[] = {
        {"Command437", u"0x03,0xd9,", u" 2"},      {"Command511", u"0x04,", u" 2"},
        {"Command512", u"0x03,0xf8,", u" 2"},      {"Command514", u"0x03,\r\n", u" 2"},
        {"Command515", u"0x03,0x00};\r\n", u" 2"}, {"Command516", u"", u"0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        SessionHarness h;
        h.click("Command111");
        h.click(c.button);
        EXPECT_EQ(h.text1.text(), kHeaderLine + c.after);
        EXPECT_EQ(h.label3.caption, c.count);
        h.undo();
        EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x03,");
        EXPECT_EQ(h.label3.caption, u" 1");
        h.redo();
        EXPECT_EQ(h.text1.text(), kHeaderLine + c.after);
        EXPECT_EQ(h.label3.caption, c.count);
    }
}

TEST(SessionUndo, TypingIsGroupedAndAStepOfItsOwn) {
    SessionHarness h;
    h.click("Command111");
    h.click("Command211");
    h.text1.typeAtEnd(u"ab");
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x03,0x3b,ab");
    EXPECT_EQ(h.label3.caption, u" 4");
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x03,0x3b,");
    EXPECT_EQ(h.label3.caption, u" 2");
    // The caret stands where the undone typing was.
    EXPECT_EQ(h.text1.caretAt, (kHeaderLine + u"0x03,0x3b,").size());
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x03,");
    h.redo();
    h.redo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x03,0x3b,ab");
    EXPECT_EQ(h.label3.caption, u" 4");

    // A click after typing is a step of its own; typing after an undo, too.
    h.text1.typeAtEnd(u"xy");
    h.click("Command323");
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x03,0x3b,abxy");
    h.undo();
    h.text1.typeAtEnd(u"z");
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x03,0x3b,ab");

    // Backspace and Delete each group as typing does; a paste stands alone.
    SessionHarness d;
    d.text1.typeAtEnd(u"0x1234");
    const std::size_t end = d.text1.text().size();
    d.text1.type(end - 1, u"", 1); // Backspace twice: "4", then "3"
    d.text1.type(end - 2, u"", 1);
    d.text1.type(end - 4, u"", 1); // Delete twice in front of "1"
    d.text1.type(end - 4, u"", 1);
    EXPECT_EQ(d.text1.text(), kHeaderLine + u"0x");
    d.text1.type(d.text1.text().size(), u"0x12,0x34,");
    for (const std::u16string back : {u"0x", u"0x12", u"0x1234", u""}) {
        d.undo();
        EXPECT_EQ(d.text1.text(), kHeaderLine + back);
    }
    EXPECT_EQ(d.label3.caption, u" 0");
}

TEST(SessionUndo, TypingIntoARepeatedLetterIsStillOneStep) {
    // "e" typed after "unsign" reads, by the texts alone, as typed after "unsigne"; the caret
    // tells, and "c" typed next joins it.
    SessionHarness h;
    const std::size_t at = std::u16string(u"const unsign").size();
    h.text1.type(at, u"e");
    h.text1.type(at + 1, u"c");
    EXPECT_EQ(h.text1.text().substr(0, 16), u"const unsigneced");
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine);
    EXPECT_EQ(h.label3.caption, u" 0");
}

TEST(SessionUndo, TheBreakOfATypedCharacterIsUndoneFirst) {
    SessionHarness h;
    h.clicks("Command111", 15);
    h.text1.type(0, u"x");
    EXPECT_EQ(h.text1.text(), u"x" + kHeaderLine + items(u"0x03", 15) + u"\r\n");
    EXPECT_EQ(h.label3.caption, u" 16");
    h.undo();
    EXPECT_EQ(h.text1.text(), u"x" + kHeaderLine + items(u"0x03", 15));
    EXPECT_EQ(h.label3.caption, u" 16");
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 15));
    EXPECT_EQ(h.label3.caption, u" 15");
    h.redo();
    h.redo();
    EXPECT_EQ(h.text1.text(), u"x" + kHeaderLine + items(u"0x03", 15) + u"\r\n");
    EXPECT_EQ(h.label3.caption, u" 16");
}

TEST(SessionUndo, AChangeAfterUndoCutsTheRedoAndCountsFromThere) {
    SessionHarness h;
    h.clicks("Command111", 10);
    for (int i = 0; i < 3; ++i) {
        h.undo();
    }
    h.click("Command512");
    EXPECT_EQ(h.label3.caption, u" 8");
    EXPECT_FALSE(h.session.canRedo());
    h.clicks("Command111", 8);
    EXPECT_EQ(h.text1.text(),
              kHeaderLine + items(u"0x03", 7) + u"0xf8," + items(u"0x03", 8) + u"\r\n");
}

TEST(SessionUndo, AWaitingBreakTravelsWithItsStep) {
    SessionHarness h;
    h.click("Command516");
    h.text1.typeAtEnd(u"0x53,0x63,0x1f,0");
    // The 17th change ended inside "0": the break waits.
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x53,0x63,0x1f,0");
    h.undo();
    h.redo();
    h.text1.typeAtEnd(u"x00};");
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x53,0x63,0x1f,0x00}\r\n;");
    EXPECT_EQ(h.label3.caption, u" 21");
}

TEST(SessionUndo, StartUpTextIsTheBottomAndTheKeysBelongToText1) {
    SessionHarness h;
    EXPECT_FALSE(h.session.canUndo());
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine);
    EXPECT_EQ(h.label3.caption, u" 0");
    h.click("Command111");
    // Outside the text box the editing keys do nothing; Ctrl+Shift+Y and Alt are no keys.
    EXPECT_FALSE(h.key(Key::Z, true, false, false));
    EXPECT_FALSE(h.key(Key::Y, true, true));
    EXPECT_FALSE(h.session.actionForKey({Key::Z, true, false, true}, true).has_value());
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x03,");
    EXPECT_TRUE(h.key(Key::A, true));
    EXPECT_TRUE(h.text1.allSelected);
}

} // namespace
} // namespace quillon::test
