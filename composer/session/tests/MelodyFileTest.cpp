// Saving and opening real files in a temporary folder: the bytes written, the texts read back,
// what is refused, and that a write killed at any moment leaves one version whole.
#include "quillon/MelodyFile.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quillon {
namespace {

using test::bytesOf;
using test::TemporaryFolder;
using test::writeBytes;
namespace fs = std::filesystem;

const std::u16string kMelody = u"const unsigned char music_item[] = {\r\n0x82,0x7b,// 中音\r\n";
// The same, as UTF-8 bytes without a BOM.
const std::string kMelodyBytes =
    "const unsigned char music_item[] = {\r\n0x82,0x7b,// \xe4\xb8\xad\xe9\x9f\xb3\r\n";

TEST(MelodyFile, SaveWritesExactlyTheTextKeepsModeAndLinkAndOpenReadsItBack) {
    TemporaryFolder folder;
    const fs::path tune = folder / "tune.h";
    writeBytes(tune, "old");
    fs::permissions(tune, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("tune.h", folder / "link.h");
    ASSERT_EQ(writeMelodyFile(folder / "link.h", kMelody), std::nullopt);
    EXPECT_EQ(bytesOf(tune), kMelodyBytes);
    EXPECT_TRUE(fs::is_symlink(folder / "link.h"));
    EXPECT_EQ(fs::status(tune).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
    EXPECT_EQ(readMelodyFile(tune).text, kMelody);
}

TEST(MelodyFile, OpenRefusesWhatIsNoMelodyText) {
    TemporaryFolder folder;
    const struct {
        const char* name;
        std::string bytes;
        std::optional<FileProblemKind> problem;
    } files[] = {
        {"largest.h", std::string(16 * 1024 * 1024, 'a'), std::nullopt},
        {"too-large.h", std::string(16 * 1024 * 1024 + 1, 'a'), FileProblemKind::TooLarge},
        {"picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), FileProblemKind::NotText},
        {"folder", "", FileProblemKind::CannotRead},
    };
    fs::create_directory(folder / "folder");
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        if (!file.bytes.empty()) {
            writeBytes(folder / file.name, file.bytes);
        }
        const OpenedMelody opened = readMelodyFile(folder / file.name);
        EXPECT_EQ(opened.problem ? std::optional(opened.problem->kind) : std::nullopt,
                  file.problem);
        EXPECT_EQ(opened.text.size(), file.problem ? 0 : file.bytes.size());
    }
}

// A child process saves two versions in turn until it is killed; whenever it dies, the file
// holds one of them whole. The versions are large enough that a write takes a while.
TEST(MelodyFile, KilledWriteLeavesOneVersionWhole) {
    TemporaryFolder folder;
    const fs::path tune = folder / "tune.h";
    const std::u16string first(100'000, u'a');
    const std::u16string second = u"0x82,\r\n" + std::u16string(70'000, u'中');
    const std::string firstBytes(100'000, 'a');
    std::string secondBytes = "0x82,\r\n";
    for (int i = 0; i < 70'000; ++i) {
        secondBytes += "\xe4\xb8\xad";
    }
    ASSERT_EQ(writeMelodyFile(tune, first), std::nullopt);

    std::mt19937 random(16);
    int kills = 0;
    int interrupted = 0;
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            for (;;) {
                writeMelodyFile(tune, first);
                writeMelodyFile(tune, second);
            }
        }
        // Once a write is under way (its temporary file is there), at some moment within it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!fs::exists(folder / ".tune.h.tmp") && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        kills += ::kill(child, SIGKILL) == 0;
        int status = 0;
        ::waitpid(child, &status, 0);
        // Its temporary file shows that the kill came in the middle of a write.
        interrupted += fs::exists(folder / ".tune.h.tmp");
        const std::string bytes = bytesOf(tune);
        ASSERT_TRUE(bytes == firstBytes || bytes == secondBytes)
            << "round " << round << ": " << bytes.size() << " bytes";
    }
    EXPECT_EQ(kills, 25);
    EXPECT_GT(interrupted, 0);
}

} // namespace
} // namespace quillon
