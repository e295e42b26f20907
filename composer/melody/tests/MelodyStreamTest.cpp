#include "quillon/MelodyRenderer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quillon {
namespace {

// Half periods in µs of note indexes 0..27, N = floor(500000 / f), copied from the reload table.
constexpr std::int64_t kTableN[28] = {3816, 3401, 3030, 2857, 2551, 2272, 2024, 1908, 1700, 1515,
                                      1432, 1275, 1136, 1012, 956,  851,  758,  716,  637,  568,
                                      506,  478,  425,  379,  357,  318,  284,  253};
// Lengths in ms of duration codes 0..7.
constexpr std::int64_t kLengthMs[8] = {400, 100, 200, 400, 800, 1200, 1600, 2000};
constexpr std::int64_t kGapMs = 20;
constexpr int kAmplitude = 8231;

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

TEST(MelodyRenderer, EveryNoteSoundsAtTheTimersPitch) {
    for (int rate : {44100, 48000}) {
        for (int index = 0; index < 28; ++index) {
            SCOPED_TRACE(testing::Message() << "rate " << rate << " index " << index);
            const auto code = static_cast<std::uint8_t>(index * 8 + 3);
            const RenderedMelody r = renderMelody(std::vector<std::uint8_t>{code}, rate);
            ASSERT_EQ(r.timings.size(), 1u);
            const std::int64_t sounding = r.timings[0].soundEndFrame;
            ASSERT_EQ(sounding, 380 * rate / 1000);
            const double expected = 1'000'000.0 / (2.0 * static_cast<double>(kTableN[index]));
            EXPECT_NEAR(crossingFrequency(r.samples.data(), sounding, rate), expected,
                        expected * 0.001);
            for (std::int64_t i = 0; i < sounding; ++i) {
                ASSERT_TRUE(r.samples[static_cast<std::size_t>(i)] == kAmplitude ||
                            r.samples[static_cast<std::size_t>(i)] == -kAmplitude);
            }
        }
    }
}

TEST(MelodyRenderer, TheSignFlipsAtEveryMultipleOfNFromTheNotesStart) {
    // A4 (N = 1136 µs) at 1 MHz, one frame per µs: the flips are exactly at multiples of N.
    const RenderedMelody r = renderMelody(std::vector<std::uint8_t>{0x61, 0x61}, 1'000'000);
    for (std::int64_t start : {std::int64_t{0}, std::int64_t{100'000}}) {
        for (std::int64_t t = 0; t < 80'000; ++t) {
            const int expected = (t / 1136) % 2 == 0 ? kAmplitude : -kAmplitude;
            ASSERT_EQ(r.samples[static_cast<std::size_t>(start + t)], expected)
                << start << " " << t;
        }
    }
    // At 48 kHz a half period of C3 is 183.168 frames: the first flip comes at frame 184, the
    // tenth at ceil(1831.68) = 1832.
    const RenderedMelody c3 = renderMelody(std::vector<std::uint8_t>{0x03}, 48000);
    EXPECT_GT(c3.samples[183], 0);
    EXPECT_LT(c3.samples[184], 0);
    EXPECT_LT(c3.samples[1831], 0);
    EXPECT_GT(c3.samples[1832], 0);
}

// The frames where each element starts, ends its sound and ends, by the rules: start at
// floor(T * rate / 1000) of the cumulative ms T, sound until 20 ms before the end.
struct Expected {
    std::int64_t start;
    std::int64_t soundEnd;
    std::int64_t end;
};

std::vector<Expected> expectedFrames(const std::vector<std::uint8_t>& codes, int rate) {
    std::vector<Expected> frames;
    std::int64_t t = 0;
    for (std::uint8_t code : codes) {
        if (code == 0) {
            break;
        }
        const std::int64_t length = kLengthMs[code & 7];
        const bool sounds = (code >> 3) < 28;
        frames.push_back({t * rate / 1000, (sounds ? t + length - kGapMs : t) * rate / 1000,
                          (t + length) * rate / 1000});
        t += length;
    }
    return frames;
}

TEST(MelodyRenderer, LengthsAndGapsAreExactToTheSample) {
    // Every duration code, a rest, two equal notes in a row, indexes without pitch (28, 30), a
    // rest with a long duration, then the end: nothing after the 0 plays.
    const std::vector<std::uint8_t> codes = {0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0xf8,
                                             0x83, 0x83, 0xe1, 0xf3, 0xfd, 0x09, 0x00, 0x73};
    for (int rate : {44100, 48000, 11025, 7993}) {
        SCOPED_TRACE(rate);
        const RenderedMelody r = renderMelody(codes, rate);
        const auto expected = expectedFrames(codes, rate);
        ASSERT_EQ(r.timings.size(), expected.size());
        ASSERT_EQ(r.samples.size(), static_cast<std::size_t>(expected.back().end));
        for (std::size_t k = 0; k < expected.size(); ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(r.timings[k].element, k);
            EXPECT_EQ(r.timings[k].startFrame, expected[k].start);
            EXPECT_EQ(r.timings[k].soundEndFrame, expected[k].soundEnd);
            EXPECT_EQ(r.timings[k].endFrame, expected[k].end);
            for (std::int64_t i = expected[k].start; i < expected[k].end; ++i) {
                const int sample = r.samples[static_cast<std::size_t>(i)];
                ASSERT_EQ(sample != 0, i < expected[k].soundEnd) << "frame " << i;
            }
        }
    }
}

TEST(MelodyRenderer, LongMelodiesDoNotDrift) {
    // 1000 notes of 100 ms at 44.1 kHz: the last starts exactly at 99.9 s.
    const std::vector<std::uint8_t> codes(1000, 0x09);
    const RenderedMelody r = renderMelody(codes, 44100);
    EXPECT_EQ(r.timings.back().startFrame, 4'405'590);
    EXPECT_EQ(r.samples.size(), 4'410'000u);
}

TEST(MelodyRenderer, OneNoteAloneAndNothingForWhatDoesNotPlay) {
    const auto note = renderNote(0x82, 48000); // E5, 200 ms
    ASSERT_EQ(note.size(), 9600u);
    EXPECT_NE(note[0], 0);
    EXPECT_NE(note[8639], 0);
    EXPECT_EQ(note[8640], 0);
    EXPECT_NEAR(crossingFrequency(note.data(), 8640, 48000), 1'000'000.0 / (2.0 * 758), 0.5);
    EXPECT_EQ(renderNote(0xf8, 48000), std::vector<std::int16_t>(19200, 0));
    EXPECT_TRUE(renderNote(0x00, 48000).empty());
    EXPECT_TRUE(renderMelody(std::vector<std::uint8_t>{0x03}, 0).samples.empty());
    EXPECT_TRUE(renderMelody(std::vector<std::uint8_t>{0x03}, -44100).samples.empty());
    EXPECT_TRUE(renderMelody({}, 48000).samples.empty());
}

} // namespace
} // namespace quillon
