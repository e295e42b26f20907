// What the session tells the user comes once the call that raised it has returned, one box at a
// time, the same for every window: a box's own loop may call the session again.
#include "FakeWindow.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

TEST(SessionNoticesTest, BoxesComeAfterTheCallOneAtATime) {
    SessionHarness h;
    bool clickCheckedAtOnce = false;
    h.notice.whileShown = [&] {
        if (h.notice.warnings.size() != 1) {
            return;
        }
        // Asked for while this box is open: it waits until this one is closed.
        h.session.perform(SessionAction::TransposeUp);
        EXPECT_EQ(h.notice.warnings.size(), 1u);
        // A click from the box's loop is a call of its own, checked as it ends: the hint that
        // the melody is not ended moves to the new note.
        const std::size_t before = h.marks.repaints.size();
        h.click("Command323");
        clickCheckedAtOnce = h.marks.repaints.size() > before;
    };
    // The header alone holds no note to move.
    h.session.perform(SessionAction::TransposeUp);
    ASSERT_EQ(h.notice.warnings.size(), 2u);
    EXPECT_EQ(h.notice.warnings[0].text, userText(UserText::NothingToTranspose));
    EXPECT_EQ(h.notice.warnings[1].text, userText(UserText::NothingToTranspose));
    EXPECT_EQ(h.notice.mostShownAtOnce, 1);
    EXPECT_TRUE(clickCheckedAtOnce);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x82,");
}

// The keeper finds on a timer that it cannot write: said as that timer's call ends, not with
// whatever the user does next.
TEST(SessionNoticesTest, ATimersNoticeComesAsTheTimerEnds) {
    TemporaryFolder home;
    writeBytes(home / "melodies", "a file where the folder should be");
    SessionHarness h{MelodyKeeping{true, home / "melodies"}};
    h.click("Command323");
    EXPECT_TRUE(h.notice.warnings.empty());
    h.timers.advance(1000);
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, userText(UserText::MelodiesNotKept));
}

} // namespace
} // namespace quillon::test
