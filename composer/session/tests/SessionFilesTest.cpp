// Saving, opening, recent melodies and closing through the session, as both windows get them:
// real files in a temporary folder, the dialogs answered by the test.
#include "FakeWindow.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

const std::string kHeaderBytes = "const unsigned char music_item[] = {\r\n";

struct SessionFilesTest : testing::Test {
    TemporaryFolder home;
    SessionHarness h{MelodyKeeping{true, home / "melodies"}};

    // A key pressed with the focus elsewhere than in Text1.
    void key(Key k, bool shift = false) { h.key(k, true, shift, false); }

    // What the session answers when the window is asked to close, one entry per answer.
    std::vector<bool> closeAnswers;
    void askToClose() {
        h.session.Form_QueryUnload([this](bool mayClose) { closeAnswers.push_back(mayClose); });
    }

    std::set<std::string> keptTexts() {
        h.timers.advance(1000);
        std::set<std::string> texts;
        for (const auto& file : fs::directory_iterator(home / "melodies")) {
            texts.insert(bytesOf(file.path()));
        }
        return texts;
    }
};

TEST_F(SessionFilesTest, OpenTakesGbkAndAnyLineEndAsOneStepAndOneChange) {
    h.clicks("Command323", 2);
    writeBytes(home / "gbk.h", "// \xd6\xd0\xd2\xf4\n{0x73,\r0x00};");
    h.files.openAnswer = home / "gbk.h";
    key(Key::O);
    const std::u16string opened = u"// 中音\r\n{0x73,\r\n0x00};";
    EXPECT_EQ(h.text1.text(), opened);
    EXPECT_EQ(h.label3.caption, u" 3");
    EXPECT_EQ(h.form1.caption, u"gbk.h - Quillon");
    // Open began a new melody: both are kept.
    EXPECT_EQ(keptTexts(),
              (std::set<std::string>{kHeaderBytes + "0x82,0x82,",
                                     "// \xe4\xb8\xad\xe9\x9f\xb3\r\n{0x73,\r\n0x00};"}));

    // Refused or cancelled: nothing changes, not even the history.
    writeBytes(home / "picture.png", std::string("\x89PNG\r\n\x1a\n\0\0", 10));
    h.files.openAnswer = home / "picture.png";
    key(Key::O);
    h.files.openAnswer.reset();
    key(Key::O);
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, fileProblemText(FileProblemKind::NotText));
    EXPECT_EQ(h.text1.text(), opened);
    EXPECT_FALSE(h.session.canRedo());
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x82,0x82,");
}

// The bytes and the caption of a plain save are tested in the real window.
TEST_F(SessionFilesTest, SaveAsksOnceSaveAsAlwaysAndAFailedSaveChangesNothing) {
    const fs::path tune = home / "tune.h";
    h.click("Command323");
    h.files.saveAnswer = tune;
    key(Key::S);
    h.click("Command322");
    // A folder stands where the temporary file would go, which stops root too.
    fs::create_directory(home / ".tune.h.tmp");
    key(Key::S);
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, fileProblemText(FileProblemKind::CannotWrite));
    EXPECT_TRUE(h.notice.warnings[0].detail.starts_with(tune.u16string() + u"\n"));
    EXPECT_EQ(bytesOf(tune), kHeaderBytes + "0x82,");
    EXPECT_EQ(h.form1.caption, u"*tune.h - Quillon");
    fs::remove(home / ".tune.h.tmp");
    key(Key::S);
    EXPECT_EQ(h.files.saves, 1);
    EXPECT_EQ(bytesOf(tune), kHeaderBytes + "0x82,0x7a,");
    // Back to what was saved, the star goes.
    h.click("Command322");
    h.undo();
    EXPECT_EQ(h.form1.caption, u"tune.h - Quillon");

    h.files.saveAnswer = home / "other.h";
    key(Key::S, true);
    EXPECT_EQ(h.files.saves, 2);
    EXPECT_EQ(h.form1.caption, u"other.h - Quillon");
    // Clear begins a melody without a file.
    h.click("Command516");
    EXPECT_EQ(h.form1.caption, u"Quillon");
    h.files.saveAnswer.reset();
    key(Key::S);
    EXPECT_EQ(h.files.saves, 3);
    EXPECT_EQ(bytesOf(home / "other.h"), kHeaderBytes + "0x82,0x7a,");
}

// Cancel and 不保存 are tested through the Qt window (LifecycleTest).
TEST_F(SessionFilesTest, OpenBringsTunesInAsOneStepAndSaysWhatChanged) {
    h.click("Command111");
    // The worked example: naturals within C3-B6 at 150 beats a minute come in unchanged, as
    // the composer holds them after Clear, the notes and End.
    writeBytes(home / "scale.rtttl", "scale:d=4,o=5,b=150:c,d,e,f,g,a,b,c6");
    h.files.openAnswer = home / "scale.rtttl";
    key(Key::O);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x73,0x7b,0x83,0x8b,0x93,0x9b,0xa3,0xab,0x00};\r\n");
    EXPECT_TRUE(h.notice.warnings.empty());
    // One tune: nothing to choose.
    EXPECT_TRUE(h.files.tuneRows.empty());
    // No file: saving must not write C over the tune.
    EXPECT_EQ(h.form1.caption, u"Quillon");
    h.undo();
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x03,");

    // C#5, D#5, F#5: one semitone down or up puts all three on naturals; the tie goes upward,
    // to D5, E5 and G5, and the message says so.
    writeBytes(home / "sharps.txt", "sharps:d=4,o=5,b=150:c#,d#,f#");
    h.files.openAnswer = home / "sharps.txt";
    key(Key::O);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x7b,0x83,0x93,0x00};\r\n");
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, userText(UserText::TuneChanged));
    EXPECT_NE(h.notice.warnings[0].detail.find(u"升高1 个半音"), std::u16string::npos)
        << std::string(h.notice.warnings[0].detail.begin(), h.notice.warnings[0].detail.end());

    // A .txt that holds an array is text, colons in its comments or not.
    writeBytes(home / "melody.txt", "// tempo: fast\r\n{0x73,0x00};");
    h.files.openAnswer = home / "melody.txt";
    key(Key::O);
    EXPECT_EQ(h.text1.text(), u"// tempo: fast\r\n{0x73,0x00};");
    EXPECT_EQ(h.form1.caption, u"melody.txt - Quillon");

    // A broken MIDI file changes nothing and says why.
    writeBytes(home / "broken.mid", std::string("MThd\0\0\0\6\0\1\0\1", 12));
    h.files.openAnswer = home / "broken.mid";
    key(Key::O);
    ASSERT_EQ(h.notice.warnings.size(), 2u);
    EXPECT_EQ(h.notice.warnings[1].text, userText(UserText::TuneNotImported));
    EXPECT_EQ(h.text1.text(), u"// tempo: fast\r\n{0x73,0x00};");
}

// Two tunes, one a line: C5 D5 and E5 F5, quarters at 150 a minute (0x73 0x7b, 0x83 0x8b).
TEST_F(SessionFilesTest, OpenAsksWhichTuneWhenTheFileHoldsMore) {
    h.click("Command323");
    const std::u16string before = kHeaderLine + u"0x82,";
    writeBytes(home / "two.rtttl", "x:d=4,o=5,b=150:c,d\r\ny:d=4,o=5,b=150:e,f\r\n");
    h.files.openAnswer = home / "two.rtttl";

    // Cancelled: nothing changes, nothing is said.
    key(Key::O);
    const std::vector<std::u16string> rows = {u"1\u3000x\u30002 个音符\u3000C5–D5（默认）",
                                              u"2\u3000y\u30002 个音符\u3000E5–F5"};
    ASSERT_EQ(h.files.tuneRows.size(), 1u);
    EXPECT_EQ(h.files.tuneRows[0], rows);
    EXPECT_EQ(h.files.tuneDefaults[0], 0u);
    EXPECT_EQ(h.text1.text(), before);
    EXPECT_TRUE(h.notice.warnings.empty());
    EXPECT_FALSE(h.session.canRedo());
    EXPECT_EQ(h.form1.caption, u"Quillon");

    // The second taken: a new melody without a file, the other tune counted in the message.
    h.files.tuneAnswer = 1;
    key(Key::O);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x83,0x8b,0x00};\r\n");
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, userText(UserText::TuneChanged));
    EXPECT_EQ(h.notice.warnings[0].detail, u"没有采用文件里另外的 1 首乐曲。");
    h.undo();
    EXPECT_EQ(h.text1.text(), before);

    // An answer that comes after Open has returned takes the tune as the file was then.
    h.files.answerTuneLater = true;
    key(Key::O);
    EXPECT_EQ(h.text1.text(), before);
    writeBytes(home / "two.rtttl", "z:d=4,o=5,b=150:g");
    ASSERT_TRUE(h.files.pendingTuneAnswer);
    h.files.pendingTuneAnswer(0);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x73,0x7b,0x00};\r\n");
}

TEST_F(SessionFilesTest, AnEditFarFromTheEndIsKeptAsItIsUndone) {
    // Long enough that what is kept is not encoded whole again at every write.
    h.clicks("Command323", 1000);
    std::string notes;
    for (int note = 1; note <= 1000; ++note) {
        notes += note % 16 == 0 ? "0x82,\r\n" : "0x82,";
    }
    EXPECT_EQ(keptTexts(), std::set<std::string>{kHeaderBytes + notes});
    // Typed in front of everything, and checked at once by playing it before it is kept.
    h.text1.type(0, u"// 小星星\n");
    h.key(Key::F5);
    EXPECT_EQ(keptTexts(), std::set<std::string>{"// \xe5\xb0\x8f\xe6\x98\x9f\xe6\x98\x9f\r\n" +
                                                 kHeaderBytes + notes});
    h.undo();
    EXPECT_EQ(keptTexts(), std::set<std::string>{kHeaderBytes + notes});
}

TEST_F(SessionFilesTest, ClosingAsksOnlyAboutAFileWithChangesNotSaved) {
    h.click("Command323");
    askToClose();
    EXPECT_EQ(keptTexts(), std::set<std::string>{kHeaderBytes + "0x82,"});
    h.files.saveAnswer = home / "tune.h";
    key(Key::S);
    askToClose();
    EXPECT_TRUE(h.files.questions.empty());
    h.click("Command322");
    h.files.closeAnswer = CloseAnswer::Save;
    askToClose();
    EXPECT_EQ(h.files.questions, std::vector<std::u16string>{u"是否保存对 tune.h 的更改？"});
    EXPECT_EQ(bytesOf(home / "tune.h"), kHeaderBytes + "0x82,0x7a,");
    EXPECT_EQ(closeAnswers, (std::vector<bool>{true, true, true}));
}

// A window whose dialogs do not wait: each answer comes after the call that asked has returned.
TEST_F(SessionFilesTest, DialogsAnsweredLaterActOnTheMelodyAsItIsThen) {
    const fs::path tune = home / "tune.h";
    h.files.answerLater = true;
    h.click("Command323");
    key(Key::S, true);
    ASSERT_TRUE(h.files.pendingSave);
    EXPECT_FALSE(fs::exists(tune));
    EXPECT_EQ(h.form1.caption, u"Quillon");
    // The user goes on while the dialog is open: what is saved is the melody when it answers.
    h.click("Command322");
    std::exchange(h.files.pendingSave, nullptr)(tune);
    EXPECT_EQ(bytesOf(tune), kHeaderBytes + "0x82,0x7a,");
    EXPECT_EQ(h.form1.caption, u"tune.h - Quillon");

    // Cancelled later: nothing changes.
    key(Key::S, true);
    std::exchange(h.files.pendingSave, nullptr)(std::nullopt);
    EXPECT_EQ(h.form1.caption, u"tune.h - Quillon");

    writeBytes(home / "other.h", "{0x73,0x00};");
    key(Key::O);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x82,0x7a,");
    std::exchange(h.files.pendingOpen, nullptr)(home / "other.h");
    EXPECT_EQ(h.text1.text(), u"{0x73,0x00};");
    EXPECT_EQ(h.form1.caption, u"other.h - Quillon");
    EXPECT_TRUE(h.notice.warnings.empty());
}

TEST_F(SessionFilesTest, CloseQuestionAnsweredLaterClosesOnlyOnceSaved) {
    const fs::path tune = home / "tune.h";
    h.files.saveAnswer = tune;
    key(Key::S);
    h.click("Command323");
    h.files.answerLater = true;
    askToClose();
    // Asked again while the question is open: it is not asked twice, nor answered.
    askToClose();
    EXPECT_EQ(h.files.questions.size(), 1u);
    EXPECT_TRUE(closeAnswers.empty());

    std::exchange(h.files.pendingClose, nullptr)(CloseAnswer::Cancel);
    EXPECT_EQ(closeAnswers, std::vector<bool>{false});

    // A save that fails keeps the window open and says why, after the answer has been handled.
    fs::create_directory(home / ".tune.h.tmp");
    askToClose();
    std::exchange(h.files.pendingClose, nullptr)(CloseAnswer::Save);
    EXPECT_EQ(closeAnswers, (std::vector<bool>{false, false}));
    ASSERT_EQ(h.notice.warnings.size(), 1u);
    EXPECT_EQ(h.notice.warnings[0].text, fileProblemText(FileProblemKind::CannotWrite));
    EXPECT_EQ(bytesOf(tune), kHeaderBytes);

    fs::remove(home / ".tune.h.tmp");
    // Told to close only with the file written.
    std::string whenTold;
    h.session.Form_QueryUnload([&](bool mayClose) {
        closeAnswers.push_back(mayClose);
        whenTold = bytesOf(tune);
    });
    std::exchange(h.files.pendingClose, nullptr)(CloseAnswer::Save);
    EXPECT_EQ(closeAnswers, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(whenTold, kHeaderBytes + "0x82,");
    EXPECT_EQ(h.files.questions.size(), 3u);
    EXPECT_EQ(h.notice.warnings.size(), 1u);
}

// An answer that comes after the window and its session have gone does nothing.
TEST(SessionAnswersTest, AnswerAfterTheSessionHasGoneIsDropped) {
    TemporaryFolder home;
    writeBytes(home / "tune.h", "{0x73,0x00};");
    PathAnswer late;
    {
        SessionHarness h;
        h.files.answerLater = true;
        h.session.perform(SessionAction::Open);
        late = std::move(h.files.pendingOpen);
    }
    ASSERT_TRUE(late);
    late(home / "tune.h");
}

TEST_F(SessionFilesTest, RecentMelodyIsChosenFromTheMenuAsOneStep) {
    h.clicks("Command323", 2);
    h.click("Command322");
    h.click("Command516");
    h.click("Command111");
    h.timers.advance(1000);

    const std::vector<MenuEntry> entries = h.session.contextMenuEntries();
    ASSERT_EQ(entries.size(), 13u);
    const std::pair<SessionAction, std::u16string_view> fileEntries[] = {
        {SessionAction::Open, u"打开… (Ctrl+O)"},
        {SessionAction::Save, u"保存 (Ctrl+S)"},
        {SessionAction::SaveAs, u"另存为… (Ctrl+Shift+S)"},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[3 + i].action, fileEntries[i].first);
        EXPECT_EQ(entries[3 + i].text, fileEntries[i].second);
    }
    const MenuEntry& recent = entries.back();
    EXPECT_EQ(recent.text, u"最近的旋律");
    // The present melody is not in it.
    ASSERT_EQ(recent.submenu.size(), 1u);
    EXPECT_TRUE(recent.submenu[0].text.ends_with(u"  3 3 2")) << recent.submenu[0].text.size();
    h.session.perform(recent.submenu[0].action, recent.submenu[0].item);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x82,0x82,0x7a,");
    EXPECT_EQ(h.label3.caption, u" 2");

    // Keeping nothing, the menu says there is nothing.
    SessionHarness notKeeping;
    const MenuEntry none = notKeeping.session.contextMenuEntries().back();
    ASSERT_EQ(none.submenu.size(), 1u);
    EXPECT_FALSE(none.submenu[0].enabled);
}

} // namespace
} // namespace quillon::test
