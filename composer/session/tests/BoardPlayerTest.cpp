#include "BoardSessionSupport.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace quillon {
namespace {

using test::portAt;

const std::u16string kFailed = u"没能在开发板上播放这段旋律。";

// F6 anywhere in the window, and the context menu's entry above 复制为 Arduino 程序.
TEST(BoardPlayerTest, F6AndTheMenuEntryPlayOnTheBoard) {
    test::SessionHarness h;
    EXPECT_EQ(h.session.actionForKey({Key::F6}, true), SessionAction::PlayOnBoard);
    EXPECT_EQ(h.session.actionForKey({Key::F6}, false), SessionAction::PlayOnBoard);
    EXPECT_EQ(h.session.actionForKey({Key::F6, true}, false), std::nullopt);
    const std::vector<MenuEntry> menu = h.session.contextMenuEntries();
    ASSERT_GE(menu.size(), 3u);
    EXPECT_EQ(menu[menu.size() - 3].text, u"在开发板上播放 (F6)");
    EXPECT_EQ(menu[menu.size() - 3].action, SessionAction::PlayOnBoard);
    EXPECT_EQ(menu[menu.size() - 2].text, u"复制为 Arduino 程序");
}

// Nothing to play, no port, or a port that is not there: the user is told what to do, in
// Chinese, and never that it worked.
TEST(BoardPlayerTest, TellsWhatToDoWhenItCannotStart) {
    test::SessionHarness h;
    h.session.setBoardPortLister([] { return std::vector<PortInfo>{}; });
    h.key(Key::F6);
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, kFailed);
    EXPECT_EQ(h.notice.warnings[0].detail, u"旋律里还没有音符。");

    h.text1.typeAtEnd(u"0x73,0x9b,");
    h.key(Key::F6);
    ASSERT_EQ(h.notice.warnings.size(), 2u);
    EXPECT_EQ(h.notice.warnings[1].detail,
              u"没有找到开发板。请用能传输数据的 USB 线连接开发板，再按 F6。");

    h.session.setBoardPortLister([] { return std::vector{portAt("/nonexistent/ttyACM9", "uno")}; });
    h.key(Key::F6);
    test::waitForNotice(h, 2, 10);
    ASSERT_EQ(h.notice.warnings.size(), 3u);
    EXPECT_EQ(h.notice.warnings[2].text, kFailed);
    EXPECT_TRUE(h.notice.warnings[2].detail.starts_with(
        u"开发板的串口不见了。请检查连接，再按 F6。\n/nonexistent/ttyACM9"));
    EXPECT_TRUE(h.files.tuneRows.empty()) << "the USB ids told the kind: nothing to ask";
}

// Several ports give a choice; a port whose ids do not tell the kind asks it once, and the
// answer is remembered for the next F6.
TEST(BoardPlayerTest, AsksThePortAndTheKindOnce) {
    test::SessionHarness h;
    h.text1.typeAtEnd(u"0x73,");
    h.session.setBoardPortLister([] {
        return std::vector{portAt("/nonexistent/ttyACM0", "mega"), portAt("/nonexistent/ttyUSB0")};
    });
    h.files.tuneAnswer = std::nullopt;
    h.key(Key::F6);
    ASSERT_EQ(h.files.tuneRows.size(), 1u);
    EXPECT_EQ(h.files.tuneRows[0],
              (std::vector<std::u16string>{u"/nonexistent/ttyACM0　Arduino Mega 2560",
                                           u"/nonexistent/ttyUSB0"}));
    EXPECT_TRUE(h.notice.warnings.empty()) << "cancelled: nothing to tell";

    h.session.setBoardPortLister([] { return std::vector{portAt("/nonexistent/ttyUSB0")}; });
    h.files.tuneAnswer = 2;
    h.key(Key::F6);
    ASSERT_EQ(h.files.tuneRows.size(), 2u);
    EXPECT_EQ(
        h.files.tuneRows[1],
        (std::vector<std::u16string>{u"Arduino Uno", u"Arduino Nano", u"Arduino Nano（旧引导程序）",
                                     u"Arduino Mega 2560", u"Arduino Leonardo / Micro"}));
    test::waitForNotice(h, 0, 10);
    ASSERT_EQ(h.notice.warnings.size(), 1u);

    h.key(Key::F6);
    test::waitForNotice(h, 1, 10);
    EXPECT_EQ(h.files.tuneRows.size(), 2u) << "the kind is asked once";
    EXPECT_EQ(h.notice.warnings.size(), 2u);
}

// The kind asked for is kept beside the kept melodies and not asked in the next run.
TEST(BoardPlayerTest, TheKindAskedForIsRememberedAcrossRuns) {
    test::TemporaryFolder home;
    const auto lister = [] { return std::vector{portAt("/nonexistent/ttyUSB0")}; };
    {
        test::SessionHarness first{MelodyKeeping{true, home / "melodies"}};
        first.session.setBoardPortLister(lister);
        first.text1.typeAtEnd(u"0x73,");
        first.files.tuneAnswer = 3;
        first.key(Key::F6);
        ASSERT_EQ(first.files.tuneRows.size(), 1u);
        test::waitForNotice(first, 0, 10);
    }
    // A text file with the system's own line end.
#ifdef _WIN32
    EXPECT_EQ(test::bytesOf(home / "board-kind.txt"), "mega\r\n");
#else
    EXPECT_EQ(test::bytesOf(home / "board-kind.txt"), "mega\n");
#endif
    test::SessionHarness second{MelodyKeeping{true, home / "melodies"}};
    second.session.setBoardPortLister(lister);
    second.text1.typeAtEnd(u"0x73,");
    second.key(Key::F6);
    test::waitForNotice(second, 0, 10);
    EXPECT_TRUE(second.files.tuneRows.empty()) << "asked again in the next run";
    ASSERT_EQ(second.notice.warnings.size(), 1u);
}

#ifndef _WIN32
// A pseudo-terminal whose slave can be opened by name: a board port with nobody behind it.
bool readyPty(int master) {
    return master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0;
}

// A board that never answers, on a real pseudo-terminal: the progress window shows the
// connecting, 取消 stops the upload, the window closes and the user is told it was cancelled.
TEST(BoardPlayerTest, CancelStopsTheUploadAndClosesTheProgressWindow) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(readyPty(master));
    const std::string slave = ::ptsname(master);
    test::SessionHarness h;
    test::FakeProgressWindow window;
    h.session.setBoardProgressWindow(&window);
    h.session.setBoardPortLister([slave] { return std::vector{portAt(slave, "uno")}; });
    h.text1.typeAtEnd(u"0x73,");
    h.key(Key::F6);
    ASSERT_EQ(window.shown, 1);
    ASSERT_FALSE(window.texts.empty());
    EXPECT_EQ(window.texts.front(), u"正在连接开发板……");
    EXPECT_FALSE(h.session.contextMenuEntries()[h.session.contextMenuEntries().size() - 3].enabled)
        << "no second upload while one runs";
    ASSERT_TRUE(window.cancel);
    window.cancel();
    test::waitForNotice(h, 0, 10);
    ::close(master);
    EXPECT_EQ(window.closed, 1);
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, kFailed);
    EXPECT_EQ(h.notice.warnings[0].detail,
              u"已取消。开发板上的程序可能不完整；再按 F6 即可重新写入。");
}

// A Leonardo or Micro that does not answer after the 1200-baud touch is running a program that
// cannot hear it: the way out is the reset button, not another board kind.
TEST(BoardPlayerTest, ALeonardoThatDoesNotAnswerIsToldToResetFirst) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(readyPty(master));
    const std::string slave = ::ptsname(master);
    test::SessionHarness h;
    h.session.setBoardPortLister([slave] { return std::vector{portAt(slave, "leonardo")}; });
    h.text1.typeAtEnd(u"0x73,");
    h.key(Key::F6);
    test::waitForNotice(h, 0, 20);
    ::close(master);
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, kFailed);
    EXPECT_TRUE(h.notice.warnings[0].detail.starts_with(
        u"开发板的引导程序没有应答。Leonardo 和 Micro 上正在运行的程序不接受 USB 写入："
        u"请按一下开发板上的复位键，再在 8 秒内按 F6。"));
}

#endif

} // namespace
} // namespace quillon
