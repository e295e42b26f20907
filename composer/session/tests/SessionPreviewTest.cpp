// The preview and the checks as the session runs them, over a sound output whose listener the
// test moves and timers on the test's clock: F5 plays what Text1 holds and lights what is heard,
// playing changes nothing, a change stops it, clicked notes sound, findings are underlined a
// moment after the last change and explained, and the user hears about a missing output.
#include "FakeWindow.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quillon::test {
namespace {

// Lengths in ms by duration code, and the gap that ends every note.
constexpr int kLengths[] = {400, 100, 200, 400, 800, 1200, 1600, 2000};

TEST(SessionPreview, F5PlaysTheMelodyAndLightsWhatIsHeard) {
    SessionHarness h;
    h.click("Command311"); // 0x73 C5, 400 ms
    h.click("Command512"); // rest, 400 ms
    h.click("Command333"); // 0x81 E5, 100 ms
    const int plays = h.sound.plays;
    EXPECT_TRUE(h.key(Key::F5, false, false, false));
    ASSERT_EQ(h.sound.plays, plays + 1);

    const struct {
        int millis;
        std::u16string lit;
    } moments[] = {{1, u"0x73"}, {390, u"0x73"}, {450, u"0xf8"}, {850, u"0x81"}};
    for (const auto& moment : moments) {
        h.sound.hearAt(moment.millis);
        h.timers.advance(20);
        EXPECT_EQ(h.heardText(), moment.lit) << moment.millis << " ms";
    }
    EXPECT_TRUE(h.session.contextMenuEntries()[1].enabled) << "Stop while playing";
    // After the last element the light goes out, and Stop is off again.
    EXPECT_EQ(h.sound.pulled() + static_cast<std::int64_t>(h.sound.pullAll().size()),
              (400 + 400 + 100) * 8);
    h.sound.hearAt(900);
    h.timers.advance(20);
    EXPECT_EQ(h.marks.heard, std::nullopt);
    EXPECT_FALSE(h.session.contextMenuEntries()[1].enabled);
    EXPECT_TRUE(h.notice.warnings.empty());
}

TEST(SessionPreview, PlayingChangesNothingAndAChangeOrEscStopsIt) {
    SessionHarness h;
    h.click("Command311");
    h.click("Command312");
    const std::u16string text = h.text1.text();
    const int writes = h.text1.writes;
    h.key(Key::F5);
    h.sound.hearAt(500);
    h.timers.advance(20);
    EXPECT_EQ(h.heardText(), u"0x7b");
    EXPECT_EQ(h.text1.text(), text);
    EXPECT_EQ(h.text1.writes, writes);
    EXPECT_EQ(h.label3.caption, u" 2");
    EXPECT_TRUE(h.session.canUndo());
    EXPECT_FALSE(h.session.canRedo());

    // F5 while playing starts from the first element again.
    h.key(Key::F5);
    h.sound.hearAt(10);
    h.timers.advance(20);
    EXPECT_EQ(h.heardText(), u"0x73");

    // Typing is a change: it stops the melody.
    int stops = h.sound.stops;
    h.text1.typeAtEnd(u" ");
    EXPECT_GT(h.sound.stops, stops);
    EXPECT_EQ(h.marks.heard, std::nullopt);

    // So is undo.
    h.key(Key::F5);
    h.sound.hearAt(10);
    h.timers.advance(20);
    EXPECT_FALSE(h.heardText().empty());
    stops = h.sound.stops;
    h.undo();
    EXPECT_GT(h.sound.stops, stops);
    EXPECT_EQ(h.marks.heard, std::nullopt);

    // And Esc stops, from anywhere in the window, without a change.
    h.key(Key::F5);
    h.sound.hearAt(10);
    h.timers.advance(20);
    EXPECT_TRUE(h.key(Key::Escape, false, false, false));
    EXPECT_EQ(h.marks.heard, std::nullopt);
    EXPECT_FALSE(h.sound.hasSource());
    EXPECT_EQ(h.text1.text(), text);
}

TEST(SessionPreview, NoteClicksSoundTheirNoteUnlessSwitchedOff) {
    SessionHarness h;
    h.click("Command313"); // E5, 400 ms
    ASSERT_EQ(h.sound.plays, 1);
    EXPECT_EQ(h.sound.pullAll().size(), std::size_t{kLengths[3] * 8});
    h.click("Command437"); // B6, 100 ms
    EXPECT_EQ(h.sound.pullAll().size(), std::size_t{kLengths[1] * 8});
    // The rest button cuts the note off.
    h.click("Command437");
    h.sound.hearAt(20);
    h.click("Command512");
    EXPECT_FALSE(h.sound.hasSource());

    const std::vector<MenuEntry> menu = h.session.contextMenuEntries();
    ASSERT_GE(menu.size(), 3U);
    EXPECT_EQ(menu[0].text, u"播放旋律 (F5)");
    EXPECT_EQ(menu[1].text, u"停止 (Esc)");
    EXPECT_EQ(menu[2].text, u"点击音符时发音");
    EXPECT_TRUE(menu[2].checkable && menu[2].checked);
    h.session.perform(menu[2].action);
    EXPECT_FALSE(h.session.contextMenuEntries()[2].checked);
    const int plays = h.sound.plays;
    h.click("Command313");
    EXPECT_EQ(h.sound.plays, plays);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x83,0xd9,0xd9,0xf8,0x83,");
}

TEST(SessionPreview, WithoutSoundF5SaysSoOnceAndClicksStaySilent) {
    SessionHarness h;
    EXPECT_EQ(h.sound.connects, 1) << "connecting starts at load";
    h.sound.available = false;
    h.click("Command311");
    EXPECT_TRUE(h.notice.warnings.empty()) << "a click without sound is still a click";
    h.key(Key::F5);
    h.timers.advance(100);
    ASSERT_EQ(h.notice.warnings.size(), 1U);
    EXPECT_EQ(h.notice.warnings[0].text, u"无法播放旋律：没有可用的声音输出。");
    EXPECT_EQ(h.marks.heard, std::nullopt);
    // The server is back: the next F5 plays.
    h.sound.available = true;
    h.key(Key::F5);
    h.sound.hearAt(1);
    h.timers.advance(20);
    EXPECT_EQ(h.heardText(), u"0x73");
    EXPECT_EQ(h.notice.warnings.size(), 1U);
    // It goes away mid-play: the sink's cause follows the problem, worded in Chinese.
    h.sound.failPlay(SoundProblem::NoOutput);
    h.timers.advance(20);
    ASSERT_EQ(h.notice.warnings.size(), 2U);
    EXPECT_NE(h.notice.warnings[1].detail.find(u"播放中途消失"), std::u16string::npos);
    // An output that refuses: the sound library's own words follow, in brackets, as they came.
    h.sound.refuseWith = SoundProblem::OutputFailed;
    h.key(Key::F5);
    h.timers.advance(100);
    ASSERT_EQ(h.notice.warnings.size(), 3U);
    EXPECT_NE(h.notice.warnings[2].detail.find(u"（Pa_OpenStream: Device unavailable）"),
              std::u16string::npos);
}

TEST(SessionPreview, AFailureToPlayIsToldAndTheTextStays) {
    SessionHarness h;
    h.click("Command311");
    h.sound.outOfMemory = true;
    h.key(Key::F5);
    ASSERT_EQ(h.notice.warnings.size(), 1U);
    EXPECT_NE(h.notice.warnings[0].text.find(u"无法播放旋律"), std::u16string::npos);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x73,");
    // A click goes on working, silent; nothing escapes to the window.
    h.click("Command312");
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x73,0x7b,");
    EXPECT_EQ(h.label3.caption, u" 2");
}

TEST(SessionPreview, AStepThatStopsHalfwayIsToldAndTheWindowGoesOn) {
    SessionHarness h;
    h.click("Command311");
    h.notice.aboutFails = true;
    h.click("Command517"); // About
    ASSERT_EQ(h.notice.warnings.size(), 1U);
    EXPECT_NE(h.notice.warnings[0].text.find(u"未能完成"), std::u16string::npos);
    EXPECT_NE(h.notice.warnings[0].detail.find(u"内存不足"), std::u16string::npos);
    h.notice.aboutFails = false;
    h.click("Command312");
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x73,0x7b,");
    h.click("Command517");
    EXPECT_EQ(h.notice.abouts, 1);
    EXPECT_EQ(h.notice.warnings.size(), 1U);
}

TEST(SessionPreview, FindingsAreUnderlinedAndExplained) {
    SessionHarness h;
    // A new window shows only the quiet hint that the melody has not been ended.
    ASSERT_EQ(h.underlined().size(), 1U);
    EXPECT_EQ(h.underlined()[0].second, MarkStyle::Hint);
    h.click("Command311");
    h.click("Command515");
    EXPECT_TRUE(h.underlined().empty()) << "a change at the end is checked at once";

    // Typed before the End, an element with note index 29 has no pitch.
    const std::size_t at = kHeaderLine.size() + 5;
    h.text1.type(at, u"0xe9,");
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x73,0xe9,0x00};\r\n");
    ASSERT_EQ(h.underlined().size(), 1U);
    EXPECT_EQ(h.underlined()[0].first, u"0xe9");
    EXPECT_EQ(h.underlined()[0].second, MarkStyle::Error);
    // Hovering it explains, in Chinese, naming the indexes without a pitch.
    const std::u16string tip = h.session.tipAt(at + 1);
    EXPECT_NE(tip.find(u"28"), std::u16string::npos);
    EXPECT_NE(tip.find(u"音高"), std::u16string::npos);
    EXPECT_TRUE(h.session.tipAt(at - 2).empty());

    // Taken back, the underline goes; the checks never touched the text or the count.
    h.undo();
    EXPECT_TRUE(h.underlined().empty());
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x73,0x00};\r\n");
    EXPECT_EQ(h.label3.caption, u" 2");
}

TEST(SessionPreview, FarFromTheEndTheCheckWaitsForAPause) {
    SessionHarness h;
    h.clicks("Command311", 1000);
    h.click("Command515");
    ASSERT_TRUE(h.underlined().empty());
    // A finding typed at the top of a long melody: reading on from there to the end waits
    // until the typing pauses for a moment.
    h.text1.type(kHeaderLine.size(), u"0xe9,");
    EXPECT_TRUE(h.underlined().empty());
    h.timers.advance(50);
    h.text1.type(kHeaderLine.size() + 5, u"0x");
    h.timers.advance(90);
    EXPECT_TRUE(h.underlined().empty()) << "not while the user goes on";
    h.timers.advance(20);
    ASSERT_FALSE(h.underlined().empty());
    EXPECT_EQ(h.underlined()[0].first.substr(0, 4), u"0xe9");
}

TEST(SessionPreview, F5PlaysWhatTheTextHoldsNowEvenBeforeTheCheck) {
    SessionHarness h;
    h.click("Command311");
    h.text1.typeAtEnd(u"0x7b,");
    h.key(Key::F5);
    ASSERT_TRUE(h.sound.hasSource());
    EXPECT_EQ(h.sound.pullAll().size(), std::size_t{800 * 8});
}

TEST(SessionPreview, AboutShowsTheAuthorAndTheThanks) {
    SessionHarness h;
    h.click("Command517");
    EXPECT_EQ(h.notice.abouts, 1);
    EXPECT_EQ(h.notice.aboutApplication, u"作者");
    const std::u16string thanks = u"▲谢谢使用！";
    ASSERT_GE(h.notice.aboutExtra.size(), thanks.size());
    EXPECT_EQ(h.notice.aboutExtra.substr(h.notice.aboutExtra.size() - thanks.size()), thanks);
    // A credit first, then the thanks at once: no blank or line break between them.
    const std::u16string credit =
        h.notice.aboutExtra.substr(0, h.notice.aboutExtra.size() - thanks.size());
    ASSERT_FALSE(credit.empty());
    EXPECT_NE(credit.back(), u' ');
    EXPECT_NE(credit.back(), u'\n');
    EXPECT_EQ(h.text1.text(), kHeaderLine);
}

} // namespace
} // namespace quillon::test
