// The folder of kept melodies, real files in a temporary folder: where it is, how files are
// named by the time a melody began, which the menu lists and which pruning removes.
#include "quillon/MelodyArchive.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace quillon {
namespace {

using test::bytesOf;
using test::TemporaryFolder;
using test::writeBytes;
namespace fs = std::filesystem;

// Sets environment variables for one test and puts the old values back.
class Environment {
public:
    void set(const char* name, const char* value) {
        if (!saved_.contains(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        put(name, value);
    }
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            put(name.c_str(), value ? value->c_str() : nullptr);
        }
    }

private:
    static void put(const char* name, const char* value) {
#ifdef _WIN32
        // The wide environment, which the composer reads there; "NAME=" removes it. Names and
        // values here are ASCII.
        const std::string entry = std::string(name) + "=" + (value ? value : "");
        ::_wputenv(std::wstring(entry.begin(), entry.end()).c_str());
#else
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
#endif
    }

    std::map<std::string, std::optional<std::string>> saved_;
};

#ifdef _WIN32
TEST(MelodyArchive, UserFolderIsUnderLocalAppData) {
    Environment environment;
    environment.set("LOCALAPPDATA", "C:\\Users\\ann\\AppData\\Local");
    EXPECT_EQ(MelodyArchive::userFolder(),
              fs::path("C:\\Users\\ann\\AppData\\Local\\Quillon\\melodies"));
    // Unset, empty or relative: nowhere to keep them.
    for (const char* local : {static_cast<const char*>(nullptr), "", "AppData\\Local"}) {
        environment.set("LOCALAPPDATA", local);
        EXPECT_EQ(MelodyArchive::userFolder(), std::nullopt);
    }
}
#else
TEST(MelodyArchive, UserFolderFollowsXdgDataHomeThenHome) {
    Environment environment;
    environment.set("HOME", "/home/ann");
    environment.set("XDG_DATA_HOME", "/data");
    EXPECT_EQ(MelodyArchive::userFolder(), fs::path("/data/quillon/melodies"));
    // Unset, empty or relative: the default under HOME.
    for (const char* data : {static_cast<const char*>(nullptr), "", "data"}) {
        environment.set("XDG_DATA_HOME", data);
        EXPECT_EQ(MelodyArchive::userFolder(), fs::path("/home/ann/.local/share/quillon/melodies"));
    }
    environment.set("HOME", nullptr);
    EXPECT_EQ(MelodyArchive::userFolder(), std::nullopt);
}
#endif

TEST(MelodyArchive, NamesListsAndPrunesByTheTimeMelodiesBegan) {
    TemporaryFolder folder;
    const MelodyArchive archive(folder / "melodies");
    const LocalTime morning{2025, 3, 14, 9, 26, 53};
    const fs::path first = archive.freePath(morning);
    EXPECT_EQ(first, folder / "melodies" / "2025-03-14_09-26-53.h");
    ASSERT_EQ(archive.write(first, u"0x03,"), std::nullopt);
    EXPECT_EQ(bytesOf(first), "0x03,");
    // Two more in the same second.
    const fs::path second = archive.freePath(morning);
    EXPECT_EQ(second.filename(), "2025-03-14_09-26-53-2.h");
    ASSERT_EQ(archive.write(second, u"0x0b,"), std::nullopt);
    EXPECT_EQ(archive.freePath(morning).filename(), "2025-03-14_09-26-53-3.h");
    // An evening before, written later; and files that are not the archive's.
    ASSERT_EQ(archive.write(archive.freePath({2025, 3, 13, 21, 0, 5}), u"0x13,"), std::nullopt);
    for (const char* other : {"tune.h", "2025-03-14_09-26-53.c", "2025-03-14_09-26-53-01.h",
                              "2025-13-14_09-26-53.h", ".2025-03-14_09-26-53.h.tmp"}) {
        writeBytes(folder / "melodies" / other, "0x1b,");
    }

    std::vector<fs::path> names;
    for (const KeptMelody& melody : archive.newest(10)) {
        names.push_back(melody.path.filename());
    }
    EXPECT_EQ(names, (std::vector<fs::path>{"2025-03-14_09-26-53-2.h", "2025-03-14_09-26-53.h",
                                            "2025-03-13_21-00-05.h"}));
    EXPECT_EQ(archive.newest(1, second).at(0).path, first);

    // Pruning to one keeps the newest and the one it is told to keep, and no other file goes.
    archive.prune(1, first);
    EXPECT_EQ(archive.newest(10).size(), 2u);
    EXPECT_FALSE(fs::exists(folder / "melodies" / "2025-03-13_21-00-05.h"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "melodies"), fs::directory_iterator()),
              2 + 5);
}

TEST(MelodyArchive, MenuShowsWhenAMelodyBeganAndItsFirstNotes) {
    // 超低音 1, 低音 1, 中音 3, 高音 1, a rest, a code without pitch, 中音 2, 中音 1, then more.
    const std::u16string nine = u"const unsigned char music_item[] = {\r\n"
                                u"0x03,0x3b,0x82,0xab,0xf8,0xe3,0x7b,0x73,0x74,0x00};\r\n";
    EXPECT_EQ(firstNotes(nine), u"1\u0323 1\u0323 3 1\u0307 0 ? 2 1 …");
    EXPECT_EQ(firstNotes(u"{0x82, 0x00, 0x82};"), u"3");
    EXPECT_EQ(firstNotes(u"const unsigned char music_item[] = {\r\n"), u"");

    TemporaryFolder folder;
    const MelodyArchive archive(folder.path());
    ASSERT_EQ(archive.write(archive.freePath({2025, 3, 14, 9, 26, 53}), nine), std::nullopt);
    ASSERT_EQ(archive.newest(1).size(), 1u);
    EXPECT_EQ(archive.newest(1)[0].menuText,
              u"2025-03-14 09:26:53  1\u0323 1\u0323 3 1\u0307 0 ? 2 1 …");
}

} // namespace
} // namespace quillon
