// The PortAudio sink against a real sound server: run under testing/private-pulse.sh, whose
// null sink plays in real time.
#include "PortAudioSink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<std::int16_t> tone(int rate, int millis) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(rate / 1000 * millis));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = (i / 50) % 2 == 0 ? 4000 : -4000;
    }
    return samples;
}

TEST(PortAudioSink, PlaysABufferToItsEndInRealTime) {
    PortAudioSink sink;
    ASSERT_TRUE(sink.open()) << sink.error();
    EXPECT_TRUE(sink.open()) << "a second open keeps the first answer";
    EXPECT_EQ(sink.sampleRate(), 48000);
    EXPECT_TRUE(sink.error().empty());

    auto samples = tone(sink.sampleRate(), 600);
    const auto total = static_cast<std::int64_t>(samples.size());
    const auto start = Clock::now();
    ASSERT_TRUE(sink.play(std::move(samples)));
    EXPECT_TRUE(sink.playing());
    std::int64_t heard = 0;
    bool midway = false;
    while (sink.playing() && Clock::now() - start < 5s) {
        std::this_thread::sleep_for(5ms);
        const std::int64_t now = sink.heardFrames();
        ASSERT_GE(now, heard) << "heard frames went back";
        ASSERT_LE(now, total);
        midway = midway || (now > 0 && now < total);
        heard = now;
    }
    const auto took = Clock::now() - start;
    EXPECT_FALSE(sink.playing());
    EXPECT_TRUE(midway) << "the position must move through the buffer, not jump to its end";
    EXPECT_EQ(sink.heardFrames(), total);
    // 600 ms of sound cannot be heard in less, nor take much longer than it and the latency.
    EXPECT_GE(took, 590ms);
    EXPECT_LT(took, 600ms + std::chrono::duration<double>(sink.outputLatency()) + 1s);
}

TEST(PortAudioSink, StopAndPlayCutOffWhatPlays) {
    PortAudioSink sink;
    ASSERT_TRUE(sink.open()) << sink.error();
    ASSERT_TRUE(sink.play(tone(sink.sampleRate(), 3000)));
    std::this_thread::sleep_for(300ms);
    const auto stopping = Clock::now();
    sink.stop();
    EXPECT_LT(Clock::now() - stopping, 500ms);
    EXPECT_FALSE(sink.playing());
    const std::int64_t heard = sink.heardFrames();
    EXPECT_GT(heard, 0);
    EXPECT_LT(heard, sink.sampleRate());
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sink.heardFrames(), heard) << "nothing more is heard after stop";
    sink.stop();

    // Play while playing starts the new buffer from its first frame.
    ASSERT_TRUE(sink.play(tone(sink.sampleRate(), 3000)));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(sink.play(tone(sink.sampleRate(), 3000)));
    EXPECT_TRUE(sink.playing());
    EXPECT_LT(sink.heardFrames(), sink.sampleRate() / 5);

    // An empty buffer is silence: it stops what plays.
    EXPECT_TRUE(sink.play({}));
    EXPECT_FALSE(sink.playing());
    EXPECT_EQ(sink.heardFrames(), 0);
}

} // namespace
} // namespace quillon
