// Transpose through the session, as both windows get it: one step that undo and redo walk,
// counted as one change, with a word about the notes that could not move. The selection and the
// menu are driven in the real windows (transpose-under-x.sh).
#include "FakeWindow.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

bool altKey(SessionHarness& h, Key k, bool shift = false) {
    const auto action = h.session.actionForKey({k, false, shift, true}, true);
    if (action) {
        h.session.perform(*action);
    }
    return action.has_value();
}

TEST(SessionTranspose, TheWholeMelodyMovesInOneStepCountedAsOneChange) {
    SessionHarness h;
    h.clicks("Command111", 14); // C3, 0x03
    h.click("Command437");      // B6, 0xd9
    EXPECT_EQ(h.label3.caption, u" 15");
    ASSERT_TRUE(altKey(h, Key::Up));
    // The 17th change since start-up: the automatic break follows it, in the same step.
    const std::u16string moved = kHeaderLine + items(u"0x0b", 14) + u"0xd9,\r\n";
    EXPECT_EQ(h.text1.text(), moved);
    EXPECT_EQ(h.label3.caption, u" 16");
    EXPECT_EQ(h.text1.caretAt, moved.size() - 2) << "where it was, before the break";
    ASSERT_EQ(h.notice.warnings.size(), 1U);
    EXPECT_EQ(h.notice.warnings[0].text, u"有 1 个音符已到音域边缘（C3–B6），没有移动。");

    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x03", 14) + u"0xd9,");
    EXPECT_EQ(h.label3.caption, u" 15");
    h.redo();
    EXPECT_EQ(h.text1.text(), moved);
    EXPECT_EQ(h.label3.caption, u" 16");
    EXPECT_EQ(h.notice.warnings.size(), 1U) << "walking the history tells nothing";

    // An octave down from C4: 0x0b is D3, which cannot go down an octave; 0xd9 can.
    ASSERT_TRUE(altKey(h, Key::Down, true));
    EXPECT_EQ(h.text1.text(), kHeaderLine + items(u"0x0b", 14) + u"0xa1,\r\n");
    EXPECT_EQ(h.notice.warnings.back().text, u"有 14 个音符已到音域边缘（C3–B6），没有移动。");
}

TEST(SessionTranspose, NothingToMoveWritesNothingAndSaysSo) {
    SessionHarness h;
    h.click("Command512"); // a rest
    const int writes = h.text1.writes;
    h.text1.select(0, 10); // inside the header
    ASSERT_TRUE(altKey(h, Key::Up));
    h.text1.select(0, 0); // nothing selected: the whole melody, which holds only a rest
    ASSERT_TRUE(altKey(h, Key::Down));
    EXPECT_EQ(h.text1.writes, writes);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0xf8,");
    ASSERT_EQ(h.notice.warnings.size(), 2U);
    EXPECT_EQ(h.notice.warnings[0].text, u"没有可移动的音符，文本没有改变。");
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine) << "the last step is still the rest";
}

TEST(SessionTranspose, AltArrowsOnlyInText1) {
    SessionHarness h;
    EXPECT_EQ(h.session.actionForKey({Key::Up, false, true, true}, true), SessionAction::OctaveUp);
    EXPECT_EQ(h.session.actionForKey({Key::Down, false, false, true}, true),
              SessionAction::TransposeDown);
    EXPECT_FALSE(h.session.actionForKey({Key::Up, false, false, true}, false));
    EXPECT_FALSE(h.session.actionForKey({Key::Up, true, false, true}, true));
    EXPECT_FALSE(h.session.actionForKey({Key::Down, false, false, false}, true));
}

} // namespace
} // namespace quillon::test
