// The PortAudio sink on a machine with no sound device and no sound server: the test runs with
// an ALSA configuration that defines no device and a PulseAudio address where no server is.
#include "PortAudioSink.h"

#include <gtest/gtest.h>

#include <chrono>

namespace quillon {
namespace {

TEST(NoSoundOutput, OpenFailsQuietlyAndSaysWhy) {
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    PortAudioSink sink;
    const bool opened = sink.open();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(sink.open());
    EXPECT_FALSE(sink.play(std::vector<std::int16_t>(4800, 1000)));
    sink.stop();
    const std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(opened);
    EXPECT_NE(sink.error().find("声音"), std::string::npos) << sink.error();
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(sink.sampleRate(), 0);
    EXPECT_FALSE(sink.playing());
    EXPECT_EQ(sink.heardFrames(), 0);
    EXPECT_EQ(printed, "") << "ALSA and JACK must not flood the terminal";
}

} // namespace
} // namespace quillon
