// Saving and opening real files in a temporary folder: the bytes written, the texts read back,
// what is refused, and that a write killed at any moment leaves one version whole.
#include "quillon/MelodyFile.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

#ifdef _WIN32
// Windows has no file mode, and links need a privilege that users lack.
TEST(MelodyFile, SaveWritesExactlyTheTextAndOpenReadsItBack) {
    TemporaryFolder folder;
    const fs::path tune = folder / "tune.h";
    writeBytes(tune, "old");
    ASSERT_EQ(writeMelodyFile(tune, kMelody), std::nullopt);
    EXPECT_EQ(bytesOf(tune), kMelodyBytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(readMelodyFile(tune).text, kMelody);
}
#else
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
#endif

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

// Two versions large enough that a write takes a while.
const std::u16string kFirst(100'000, u'a');
const std::u16string kSecond = u"0x82,\r\n" + std::u16string(70'000, u'中');

// Saves the two versions in turn into `tune` until the process is killed.
[[noreturn]] void keepWriting(const fs::path& tune) {
    for (;;) {
        writeMelodyFile(tune, kFirst);
        writeMelodyFile(tune, kSecond);
    }
}

#ifdef _WIN32
// Windows cannot fork: the writer is this same program, started again with the file named in
// its environment, which writes before the tests ever run.
[[maybe_unused]] const bool kIsWriter = [] {
    const wchar_t* tune = ::_wgetenv(L"QUILLON_TEST_WRITER");
    if (tune != nullptr) {
        keepWriting(tune);
    }
    return false;
}();

class Writer {
public:
    explicit Writer(const fs::path& tune) {
        wchar_t self[MAX_PATH];
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        ::SetEnvironmentVariableW(L"QUILLON_TEST_WRITER", tune.c_str());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = ::CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                    &startup, &process_) != 0;
        ::SetEnvironmentVariableW(L"QUILLON_TEST_WRITER", nullptr);
    }
    bool started() const { return started_; }
    bool kill() {
        const bool killed = ::TerminateProcess(process_.hProcess, 9) != 0;
        ::WaitForSingleObject(process_.hProcess, INFINITE);
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
        return killed;
    }

private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};
#else
class Writer {
public:
    explicit Writer(const fs::path& tune) : child_(::fork()) {
        if (child_ == 0) {
            keepWriting(tune);
        }
    }
    bool started() const { return child_ != -1; }
    bool kill() {
        const bool killed = ::kill(child_, SIGKILL) == 0;
        int status = 0;
        ::waitpid(child_, &status, 0);
        return killed;
    }

private:
    pid_t child_;
};
#endif

// A child process saves two versions in turn until it is killed; whenever it dies, the file
// holds one of them whole.
TEST(MelodyFile, KilledWriteLeavesOneVersionWhole) {
    TemporaryFolder folder;
    const fs::path tune = folder / "tune.h";
    const std::string firstBytes(100'000, 'a');
    std::string secondBytes = "0x82,\r\n";
    for (int i = 0; i < 70'000; ++i) {
        secondBytes += "\xe4\xb8\xad";
    }
    ASSERT_EQ(writeMelodyFile(tune, kFirst), std::nullopt);

    std::mt19937 random(16);
    int kills = 0;
    int interrupted = 0;
    for (int round = 0; round < 25; ++round) {
        Writer writer(tune);
        ASSERT_TRUE(writer.started());
        // Once a write is under way (its temporary file is there), at some moment within it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!fs::exists(folder / ".tune.h.tmp") && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        kills += writer.kill();
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
