// The melody kept without asking, through the real archive in a temporary folder and timers
// that a test moves on: when the file is written, and which melodies get one. A folder that
// cannot be written is tested in the real window (melodies-under-x.sh).
#include "quillon/MelodyKeeper.h"
#include "FakeWindow.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    // Where Text1 changed since the keeper last asked, as the history tells it.
    std::size_t changedFrom = std::u16string::npos;
    MelodyKeeper keeper{
        MelodyArchive(folder), timers, notice,
        KeptText{[this] { return std::u16string_view(text1); },
                 [this] { return std::exchange(changedFrom, std::u16string::npos); }}};

    // A change of Text1, as the session reports it.
    void change(std::u16string text) {
        const auto [old, now] = std::mismatch(text1.begin(), text1.end(), text.begin(), text.end());
        changedFrom = std::min(changedFrom, static_cast<std::size_t>(old - text1.begin()));
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

TEST_F(KeeperTest, OnlyTheHeaderIsNoMelodyAndTheNewest100AreKept) {
    MelodyArchive archive(folder);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(archive.write(archive.freePath({2025, 3, 13, 10, i / 60, i % 60}), u"0x03,"),
                  std::nullopt);
    }
    keeper.begin({2025, 3, 14, 9, 0, 1});
    const fs::path file = folder / "2025-03-14_09-00-01.h";
    change(kHeader);
    timers.advance(1000);
    EXPECT_FALSE(fs::exists(file));
    // The first note gives it a file, and the oldest of the day before goes.
    change(kHeader + u"0x7b,");
    timers.advance(1000);
    EXPECT_EQ(bytesOf(file), kHeaderBytes + "0x7b,");
    EXPECT_EQ(archive.newest(1000).size(), 100u);
    EXPECT_FALSE(fs::exists(folder / "2025-03-13_10-00-00.h"));
    EXPECT_EQ(keeper.recent().size(), MelodyArchive::kRecentInMenu);
    EXPECT_NE(keeper.recent().front().path, file);

    // Undone back to the header, or emptied: the file goes.
    for (const std::u16string& empty : {kHeader, std::u16string(u"  \r\n")}) {
        change(kHeader + u"0x7b,");
        timers.advance(1000);
        change(empty);
        timers.advance(1000);
        EXPECT_FALSE(fs::exists(file));
    }
    // Closing writes at once what is pending.
    change(kHeader + u"0x73,");
    keeper.flush();
    EXPECT_EQ(bytesOf(file), kHeaderBytes + "0x73,");
}

TEST_F(KeeperTest, GoingBackToWhatTheFileHoldsWritesNothing) {
    keeper.begin({2025, 3, 14, 9, 0, 2});
    const fs::path file = folder / "2025-03-14_09-00-02.h";
    change(u"// \u4e2d\r\n" + kHeader + u"0x82,0xf8,");
    timers.advance(1000);
    // Undone and redone between two writes: a file taken away meanwhile stays away.
    fs::remove(file);
    change(text1.substr(0, text1.size() - 5));
    change(text1 + u"0xf8,");
    timers.advance(1000);
    EXPECT_FALSE(fs::exists(file));
    // The next change in front writes it whole again.
    change(u"// \u97f3" + text1.substr(4));
    timers.advance(1000);
    EXPECT_EQ(bytesOf(file), "// \xe9\x9f\xb3\r\n" + kHeaderBytes + "0x82,0xf8,");
}

} // namespace
} // namespace quillon
