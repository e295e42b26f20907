// The PortAudio sink on a machine with no sound device and no sound server: the test runs with
// an ALSA configuration that defines no device and a PulseAudio address where no server is.
#include "PortAudioSink.h"
#include "SoundEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace quillon {
namespace {

using Clock = std::chrono::steady_clock;

TEST(NoSoundOutput, PlaysFailQuietlyAndSayWhy) {
    prepareSoundEnvironment();
    testing::internal::CaptureStderr();
    Clock::duration slowest{};
    const auto timed = [&slowest](auto f) {
        const auto start = Clock::now();
        f();
        slowest = std::max(slowest, Clock::now() - start);
    };
    const auto start = Clock::now();
    SoundStatus status;
    {
        PortAudioSink sink;
        timed([&] { sink.connect(); });
        std::uint64_t play = 0;
        timed([&] {
            play = sink.play(
                [](int) -> std::unique_ptr<SoundSource> {
                    ADD_FAILURE() << "no source is made without an output";
                    return nullptr;
                },
                WhenNoOutput::LookAgain);
        });
        while (Clock::now() - start < std::chrono::seconds(5)) {
            timed([&] { status = sink.status(); });
            if (status.phase == SoundStatus::Phase::Failed) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_EQ(status.play, play);
        timed([&] { sink.stop(); });
    }
    const auto took = Clock::now() - start;
    const std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_EQ(status.phase, SoundStatus::Phase::Failed);
    EXPECT_EQ(status.problem, SoundProblem::NoOutput) << status.detail;
    EXPECT_NE(status.cause, SoundCause::None) << "the sink says why";
    EXPECT_EQ(status.heardFrames, 0);
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_LT(slowest, std::chrono::milliseconds(50)) << "every call returns at once";
    EXPECT_EQ(printed, "") << "ALSA and JACK must not flood the terminal";
}

} // namespace
} // namespace quillon
