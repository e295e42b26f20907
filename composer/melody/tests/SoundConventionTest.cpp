#include "quillon/SoundConvention.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

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
