// The melody stream against the model of the sound convention: pitch, the flips of the square
// wave, lengths and gaps to the sample, and the same samples however they are pulled.
#include "quillon/MelodyStream.h"
#include "ConventionModel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace quillon::test {
namespace {

// Everything the stream gives, pulled `chunk` frames at a time.
std::vector<std::int16_t> pullAll(const std::vector<std::uint8_t>& codes, int rate,
                                  std::size_t chunk = 4096) {
    MelodyStream stream(std::make_shared<const std::vector<MusicCode>>(codes), rate);
    std::vector<std::int16_t> samples;
    std::vector<std::int16_t> buffer(chunk);
    for (;;) {
        const std::size_t got = stream.fill(buffer);
        samples.insert(samples.end(), buffer.begin(), buffer.begin() + static_cast<long>(got));
        if (got < chunk) {
            EXPECT_EQ(stream.fill(buffer), 0U) << "an ended stream stays ended";
            return samples;
        }
    }
}

// Frequency of a stretch of square wave from its sign changes: half periods between the first
// and the last change.
double crossingFrequency(const std::int16_t* samples, std::int64_t frames, int rate) {
    std::int64_t first = -1;
    std::int64_t last = -1;
    std::int64_t changes = 0;
    for (std::int64_t i = 1; i < frames; ++i) {
        if ((samples[i] > 0) != (samples[i - 1] > 0)) {
            first = first < 0 ? i : first;
            last = i;
            ++changes;
        }
    }
    if (changes < 2) {
        return 0.0;
    }
    const double halfPeriodFrames =
        static_cast<double>(last - first) / static_cast<double>(changes - 1);
    return rate / (2.0 * halfPeriodFrames);
}

TEST(MelodyStream, EveryNoteSoundsAtTheTimersPitch) {
    for (int rate : {44100, 48000}) {
        for (int index = 0; index < 28; ++index) {
            SCOPED_TRACE(testing::Message() << "rate " << rate << " index " << index);
            const auto code = static_cast<std::uint8_t>(index * 8 + 3);
            const auto samples = pullAll({code}, rate);
            ASSERT_EQ(samples.size(), static_cast<std::size_t>(400 * rate / 1000));
            const std::int64_t sounding = 380 * rate / 1000;
            const double expected = 1'000'000.0 / (2.0 * static_cast<double>(kTableN[index]));
            EXPECT_NEAR(crossingFrequency(samples.data(), sounding, rate), expected,
                        expected * 0.001);
            for (std::int64_t i = 0; i < sounding; ++i) {
                ASSERT_TRUE(samples[static_cast<std::size_t>(i)] == kAmplitude ||
                            samples[static_cast<std::size_t>(i)] == -kAmplitude);
            }
        }
    }
}

TEST(MelodyStream, TheSignFlipsAtEveryMultipleOfNFromTheNotesStart) {
    // A4 (N = 1136 µs) at 1 MHz, one frame per µs: the flips are exactly at multiples of N.
    const auto samples = pullAll({0x61, 0x61}, 1'000'000);
    for (std::int64_t start : {std::int64_t{0}, std::int64_t{100'000}}) {
        for (std::int64_t t = 0; t < 80'000; ++t) {
            const int expected = (t / 1136) % 2 == 0 ? kAmplitude : -kAmplitude;
            ASSERT_EQ(samples[static_cast<std::size_t>(start + t)], expected) << start << " " << t;
        }
    }
    // At 48 kHz a half period of C3 is 183.168 frames: the first flip comes at frame 184, the
    // tenth at ceil(1831.68) = 1832.
    const auto c3 = pullAll({0x03}, 48000);
    EXPECT_GT(c3[183], 0);
    EXPECT_LT(c3[184], 0);
    EXPECT_LT(c3[1831], 0);
    EXPECT_GT(c3[1832], 0);
}

TEST(MelodyStream, EverySampleIsTheModelsWhateverTheRateAndTheChunks) {
    // Every duration code, a rest, two equal notes in a row, indexes without pitch (28, 30), a
    // rest with a long duration, then the end: nothing after the 0 plays.
    const std::vector<std::uint8_t> codes = {0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0xf8,
                                             0x83, 0x83, 0xe1, 0xf3, 0xfd, 0x09, 0x00, 0x73};
    for (int rate : {44100, 48000, 11025, 7993, 1000, 1}) {
        const auto elements = modelElements(codes, rate);
        for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{480}}) {
            SCOPED_TRACE(testing::Message() << "rate " << rate << " chunk " << chunk);
            const auto samples = pullAll(codes, rate, chunk);
            ASSERT_EQ(samples.size(), static_cast<std::size_t>(elements.back().end));
            for (const ModelElement& e : elements) {
                for (std::int64_t f = e.start; f < e.end; ++f) {
                    ASSERT_EQ(samples[static_cast<std::size_t>(f)], modelSample(e, f, rate))
                        << "frame " << f;
                }
            }
        }
    }
}

TEST(MelodyStream, LongMelodiesDoNotDrift) {
    // 1000 notes of 100 ms at 44.1 kHz: the last starts exactly at 99.9 s, after its
    // predecessor's 20 ms gap.
    const auto samples = pullAll(std::vector<std::uint8_t>(1000, 0x09), 44100);
    ASSERT_EQ(samples.size(), 4'410'000U);
    EXPECT_EQ(samples[4'405'589], 0);
    EXPECT_NE(samples[4'405'590], 0);
}

TEST(MelodyStream, OneNoteAloneAndNothingForWhatDoesNotPlay) {
    auto note = MelodyStream::note(0x82, 48000); // E5, 200 ms
    std::vector<std::int16_t> samples(20000);
    ASSERT_EQ(note->fill(samples), 9600U);
    EXPECT_NE(samples[0], 0);
    EXPECT_NE(samples[8639], 0);
    EXPECT_EQ(samples[8640], 0);
    EXPECT_NEAR(crossingFrequency(samples.data(), 8640, 48000), 1'000'000.0 / (2.0 * 758), 0.5);
    EXPECT_EQ(pullAll({0xf8}, 48000), std::vector<std::int16_t>(19200, 0));
    EXPECT_TRUE(pullAll({0x00, 0x73}, 48000).empty());
    EXPECT_TRUE(pullAll({}, 48000).empty());
    EXPECT_TRUE(pullAll({0x03}, 0).empty());
    EXPECT_TRUE(pullAll({0x03}, -44100).empty());
    EXPECT_TRUE(pullAll({0x03}, 1'000'001).empty());
}

} // namespace
} // namespace quillon::test
