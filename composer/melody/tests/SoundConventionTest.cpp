#include "quillon/SoundConvention.h"

#include "quillon_convention.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace quillon {
namespace {

TEST(SoundConvention, PitchesAndLengthsAreTheFirmwares) {
    // N of each note index, copied from the reload table.
    constexpr std::array<std::uint32_t, 28> tableN = {
        3816, 3401, 3030, 2857, 2551, 2272, 2024, 1908, 1700, 1515, 1432, 1275, 1136, 1012,
        956,  851,  758,  716,  637,  568,  506,  478,  425,  379,  357,  318,  284,  253};
    for (int i = 0; i < 28; ++i) {
        EXPECT_EQ(halfPeriodMicros(i), tableN[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_NEAR(producedFrequency(12), 440.14, 0.005);
    EXPECT_NEAR(producedFrequency(24), 1400.56, 0.005);
    for (int i : {-1, 28, 29, 30, 31, 32}) {
        EXPECT_EQ(halfPeriodMicros(i), 0u) << i;
        EXPECT_EQ(producedFrequency(i), 0.0) << i;
    }
    constexpr std::array<std::uint32_t, 8> lengths = {400, 100, 200, 400, 800, 1200, 1600, 2000};
    for (int d = 0; d < 8; ++d) {
        EXPECT_EQ(durationMillis(d), lengths[static_cast<std::size_t>(d)]) << d;
    }
}

// The header that the player on the chip and the preview share says what the README's tables
// say: the frequencies of the timervals pitch table, the lengths of the duration codes and the
// 20 ms gap. The README is read as the user reads it.
TEST(SoundConvention, TheSharedHeaderIsTheReadmesConvention) {
    std::ifstream file(QUILLON_README);
    ASSERT_TRUE(file) << QUILLON_README;
    std::stringstream all;
    all << file.rdbuf();
    const std::string readme = all.str();

    // | Length (ms) | 400 | 100 | ... (the sound convention table)
    std::smatch row;
    ASSERT_TRUE(std::regex_search(readme, row, std::regex(R"(\n\| Length \(ms\) \|([^\n]*))")));
    std::vector<unsigned> readmeLengths;
    const std::string cells = row[1];
    const std::regex number(R"(\d+)");
    for (auto it = std::sregex_iterator(cells.begin(), cells.end(), number);
         it != std::sregex_iterator(); ++it) {
        readmeLengths.push_back(static_cast<unsigned>(std::stoul(it->str())));
    }
#define QUILLON_AS_IS(ms) ms
    const std::vector<unsigned> headerLengths = {QUILLON_DURATIONS_MS(QUILLON_AS_IS)};
#undef QUILLON_AS_IS
    EXPECT_EQ(headerLengths, readmeLengths);

    // | Index | Note | Table (Hz) | N | Reload | ... (the pitch table of timervals)
    std::map<unsigned, std::pair<unsigned, unsigned>> readmePitches;
    const std::regex pitchRow(R"(\n\| (\d+) \| [A-G][3-6] \| (\d+) \| (\d+) \| 0x[0-9A-F]{4} \|)");
    for (auto it = std::sregex_iterator(readme.begin(), readme.end(), pitchRow);
         it != std::sregex_iterator(); ++it) {
        readmePitches[static_cast<unsigned>(std::stoul((*it)[1]))] = {
            static_cast<unsigned>(std::stoul((*it)[2])),
            static_cast<unsigned>(std::stoul((*it)[3]))};
    }
    constexpr unsigned headerHz[] = {QUILLON_NOTE_FREQUENCIES_HZ};
    ASSERT_EQ(readmePitches.size(), std::size(headerHz));
    ASSERT_EQ(std::size(headerHz), static_cast<std::size_t>(QUILLON_NOTE_COUNT));
    for (const auto& [index, pitch] : readmePitches) {
        EXPECT_EQ(headerHz[index], pitch.first) << "note " << index;
        EXPECT_EQ(halfPeriodMicros(static_cast<int>(index)), pitch.second) << "note " << index;
    }

    // "... for its length less 20 ms, then 20 ms of silence"
    ASSERT_TRUE(std::regex_search(readme, row,
                                  std::regex(R"(length less (\d+) ms, then (\d+) ms of silence)")));
    EXPECT_EQ(QUILLON_GAP_MS, std::stoul(row[1]));
    EXPECT_EQ(QUILLON_GAP_MS, std::stoul(row[2]));
}

#ifdef QUILLON_TIMERVALS
// The table tool's reload values are 0x10000 - N: the preview's N must be the same, so that the
// preview and the table can never drift apart.
TEST(SoundConvention, HalfPeriodsMatchTheTableToolsReloadValues) {
    FILE* tool = popen(QUILLON_TIMERVALS " </dev/null", "r");
    ASSERT_NE(tool, nullptr);
    std::string output;
    char buffer[512];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, tool)) > 0;) {
        output.append(buffer, got);
    }
    ASSERT_EQ(pclose(tool), 0);

    int index = 0;
    for (std::size_t at = 0; index < 28; ++index) {
        unsigned high = 0;
        unsigned low = 0;
        at = output.find("0x", at);
        ASSERT_NE(at, std::string::npos) << "pair " << index;
        ASSERT_EQ(std::sscanf(output.c_str() + at, "0x%2X,0x%2X,", &high, &low), 2);
        at += 10;
        EXPECT_EQ(halfPeriodMicros(index), 0x10000u - (high << 8 | low)) << "note " << index;
    }
    EXPECT_EQ(output.find("0x", output.find("0xFF,0x03") + 9), std::string::npos)
        << "more than 28 pairs";
}
#endif

} // namespace
} // namespace quillon
