// The melody kept without asking, through the real archive in a temporary folder and timers
// that a test moves on: when the file is written, which melodies get one, and what the user is
// told when the folder cannot be written.
#include "quillon/MelodyKeeper.h"
#include "FakeWindow.h"
#include "FileTestSupport.h"
#include "quillon/UserTexts.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace quillon {
namespace {

using test::bytesOf;
using test::FakeNotice;
using test::FakeTimers;
using test::TemporaryFolder;
namespace fs = std::filesystem;

const std::u16string kHeader = u"const unsigned char music_item[] = {\r\n";
const std::string kHeaderBytes = "const unsigned char music_item[] = {\r\n";

struct KeeperTest : testing::Test {
    TemporaryFolder home;
    fs::path folder = home / "melodies";
    FakeTimers timers;
    FakeNotice notice;
    std::u16string text1;
    MelodyKeeper keeper{MelodyArchive(folder), timers, notice, [this] { return text1; }};

    // A change of Text1, as the session reports it.
    void change(std::u16string text) {
        text1 = std::move(text);
        keeper.changed();
    }
};

TEST_F(KeeperTest, EveryChangeIsOnTheDiskWithinASecond) {
    keeper.begin({2025, 3, 14, 9, 26, 53});
    change(kHeader);
    timers.advance(2000);
    EXPECT_FALSE(fs::exists(folder / "2025-03-14_09-26-53.h"));

    // Clicks every 100 ms for three seconds: whenever one looks, the file holds every click
    // made a second ago or earlier (each click's text is the one before and five bytes more).
    std::string bytes = kHeaderBytes;
    std::vector<std::pair<std::int64_t, std::string>> history;
    for (int click = 0; click < 30; ++click) {
        bytes += "0x82,";
        change(text1 + u"0x82,");
        history.emplace_back(timers.now, bytes);
        timers.advance(100);
        const std::string kept = bytesOf(folder / "2025-03-14_09-26-53.h");
        for (const auto& [when, text] : history) {
            if (when <= timers.now - 1000) {
                EXPECT_GE(kept.size(), text.size()) << "after click " << click;
            }
        }
        EXPECT_EQ(bytes.substr(0, kept.size()), kept);
    }
    timers.advance(1000);
    EXPECT_EQ(bytesOf(folder / "2025-03-14_09-26-53.h"), bytes);
    EXPECT_TRUE(notice.warnings.empty());
}

TEST_F(KeeperTest, EachMelodyHasItsFileAndOnlyTheHeaderIsNone) {
    // 100 melodies of the day before, the oldest first.
    MelodyArchive archive(folder);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(archive.write(archive.freePath({2025, 3, 13, 10, i / 60, i % 60}), u"0x03,"),
                  std::nullopt);
    }
    keeper.begin({2025, 3, 14, 9, 0, 0});
    change(kHeader + u"0x82,");
    // Clear comes before the write: the first melody is written as it was, then the new one
    // begins with the header alone, which gets no file.
    keeper.begin({2025, 3, 14, 9, 0, 1});
    change(kHeader);
    timers.advance(1000);
    EXPECT_EQ(bytesOf(folder / "2025-03-14_09-00-00.h"), kHeaderBytes + "0x82,");
    EXPECT_FALSE(fs::exists(folder / "2025-03-14_09-00-01.h"));
    // Its first note gives it one; 100 are kept, the oldest of the day before gone.
    change(kHeader + u"0x7b,");
    timers.advance(1000);
    EXPECT_EQ(bytesOf(folder / "2025-03-14_09-00-01.h"), kHeaderBytes + "0x7b,");
    EXPECT_EQ(archive.newest(1000).size(), 100u);
    EXPECT_FALSE(fs::exists(folder / "2025-03-13_10-00-00.h"));
    EXPECT_FALSE(fs::exists(folder / "2025-03-13_10-00-01.h"));
    // The menu leaves the present melody out.
    ASSERT_FALSE(keeper.recent().empty());
    EXPECT_EQ(keeper.recent().front().path, folder / "2025-03-14_09-00-00.h");
    EXPECT_EQ(keeper.recent().size(), MelodyArchive::kRecentInMenu);

    // Undone back to the header, or to nothing at all: the file goes.
    for (const std::u16string& empty : {kHeader, std::u16string(u"  \r\n")}) {
        change(kHeader + u"0x7b,");
        timers.advance(1000);
        change(empty);
        timers.advance(1000);
        EXPECT_FALSE(fs::exists(folder / "2025-03-14_09-00-01.h"));
    }
    // Closing writes at once what is pending.
    change(kHeader + u"0x73,");
    keeper.flush();
    EXPECT_EQ(bytesOf(folder / "2025-03-14_09-00-01.h"), kHeaderBytes + "0x73,");
}

TEST_F(KeeperTest, FolderThatCannotBeWrittenIsToldOnceAndTheComposerGoesOn) {
    test::makeUnwritable(folder);
    keeper.begin({2025, 3, 14, 9, 0, 0});
    for (int click = 0; click < 5; ++click) {
        change(text1 + u"0x82,");
        timers.advance(1000);
    }
    keeper.begin({2025, 3, 14, 9, 1, 0});
    change(kHeader + u"0x7b,");
    timers.advance(1000);
    keeper.flush();
    ASSERT_EQ(notice.warnings.size(), 1u);
    EXPECT_EQ(notice.warnings[0].text, userText(UserText::MelodiesNotKept));
    EXPECT_EQ(notice.warnings[0].detail.find(folder.u16string()), 0u);

    // Once the folder can be written again, the next change is kept.
    fs::remove(folder);
    change(kHeader + u"0x73,");
    timers.advance(1000);
    EXPECT_EQ(bytesOf(folder / "2025-03-14_09-01-00.h"), kHeaderBytes + "0x73,");
    EXPECT_EQ(notice.warnings.size(), 1u);
}

} // namespace
} // namespace quillon
