// The preview's playing and what it says is being heard, against a sound sink whose listener
// the test moves and a clock the test sets: lengths by the duration codes 400, 100, 200, 400,
// 800... ms, at the fake's 8000 frames a second.
#include "quillon/MelodyPreview.h"
#include "FakeSoundSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace quillon::test {
namespace {

using namespace std::chrono_literals;

// C5 for 400 ms, a rest of 400 ms, E5 for 100 ms, then the end; the literals stand at
// [1, 5), [7, 11) and [13, 17).
constexpr std::u16string_view kText = u"{0x73, 0xf8, 0x81, 0}";

struct PreviewTest : testing::Test {
    FakeSoundSink sink;
    std::chrono::steady_clock::time_point now{};
    MelodyPreview preview{sink, [this] { return now; }};
    Melody melody = readMelody(kText);
};

TEST_F(PreviewTest, SaysWhichElementIsBeingHeard) {
    ASSERT_EQ(preview.playMelody(melody), MelodyPreview::Outcome::Started);
    ASSERT_TRUE(sink.hasSource());
    // Nothing heard yet: playing, nothing lit.
    MelodyPreview::Progress progress = preview.poll();
    EXPECT_TRUE(progress.playing);
    EXPECT_EQ(progress.heard, std::nullopt);

    const struct {
        std::int64_t millis;
        std::optional<TextSpan> span;
    } moments[] = {
        {1, TextSpan{1, 5}},     {379, TextSpan{1, 5}},  {399, TextSpan{1, 5}},
        {400, TextSpan{7, 11}},  {799, TextSpan{7, 11}}, {800, TextSpan{13, 17}},
        {899, TextSpan{13, 17}},
    };
    for (const auto& moment : moments) {
        sink.hearAt(moment.millis);
        progress = preview.poll();
        EXPECT_TRUE(progress.playing) << moment.millis << " ms";
        EXPECT_EQ(progress.heard, moment.span) << moment.millis << " ms";
    }
    // The source was the melody, 900 ms long, and nothing more.
    const std::int64_t pulledSoFar = sink.pulled();
    EXPECT_EQ(pulledSoFar + static_cast<std::int64_t>(sink.pullAll().size()), 900 * 8);
    sink.hearAt(900);
    progress = preview.poll();
    EXPECT_FALSE(progress.playing);
    EXPECT_EQ(progress.heard, std::nullopt);
    EXPECT_EQ(progress.problem, SoundProblem::None);
}

TEST_F(PreviewTest, StopAndANoteCutTheMelodyOff) {
    ASSERT_EQ(preview.playMelody(melody), MelodyPreview::Outcome::Started);
    sink.hearAt(100);
    preview.stop();
    EXPECT_FALSE(sink.hasSource());
    EXPECT_FALSE(preview.poll().playing);

    ASSERT_EQ(preview.playMelody(melody), MelodyPreview::Outcome::Started);
    sink.hearAt(100);
    preview.soundNote(0x0b); // D3, 400 ms
    EXPECT_FALSE(preview.poll().playing) << "a single note is heard, but no element of the text";
    const std::vector<std::int16_t> note = sink.pullAll();
    ASSERT_EQ(note.size(), 400U * 8U);
    EXPECT_EQ(std::count(note.begin(), note.end(), 0), 20 * 8) << "380 ms of sound, 20 of gap";

    // A rest, a code without pitch and 0 cut the note off and stay silent.
    for (MusicCode silent : {MusicCode{0xf8}, MusicCode{0xe3}, MusicCode{0}}) {
        preview.soundNote(0x0b);
        const int stops = sink.stops;
        preview.soundNote(silent);
        EXPECT_GT(sink.stops, stops) << int{silent};
        EXPECT_FALSE(sink.hasSource()) << int{silent};
    }

    // Playing again starts from the first element.
    ASSERT_EQ(preview.playMelody(melody), MelodyPreview::Outcome::Started);
    sink.hearAt(1);
    EXPECT_EQ(preview.poll().heard, (TextSpan{1, 5}));
}

TEST_F(PreviewTest, NothingToPlayLeavesTheSinkAlone) {
    for (std::u16string_view text :
         {std::u16string_view(u"{0, 0x73}"),
          std::u16string_view(u"const unsigned char music_item[] = {\r\n")}) {
        EXPECT_EQ(preview.playMelody(readMelody(text)), MelodyPreview::Outcome::NothingToPlay);
        EXPECT_FALSE(preview.poll().playing);
    }
    EXPECT_EQ(sink.plays, 0);
}

TEST_F(PreviewTest, NoOutputIsReportedOnceAndNotesStaySilentUntilItComes) {
    sink.available = false;
    ASSERT_EQ(preview.playMelody(melody), MelodyPreview::Outcome::Started);
    const MelodyPreview::Progress progress = preview.poll();
    EXPECT_FALSE(progress.playing);
    EXPECT_EQ(progress.problem, SoundProblem::NoOutput);
    EXPECT_FALSE(progress.detail.empty());
    EXPECT_EQ(preview.poll().problem, SoundProblem::None) << "reported by one poll";
    EXPECT_EQ(sink.lastWhenNone, WhenNoOutput::LookAgain) << "F5 looks for an output again";

    preview.soundNote(0x73);
    EXPECT_EQ(sink.lastWhenNone, WhenNoOutput::Fail) << "a click does not wait for a look";
    EXPECT_FALSE(sink.hasSource());
    EXPECT_FALSE(preview.poll().playing);
    EXPECT_EQ(preview.poll().problem, SoundProblem::None) << "a silent click says nothing";

    // The server has come: the next click and the next play are heard.
    sink.available = true;
    preview.soundNote(0x73);
    EXPECT_TRUE(sink.hasSource());
    ASSERT_EQ(preview.playMelody(melody), MelodyPreview::Outcome::Started);
    sink.hearAt(1);
    EXPECT_EQ(preview.poll().heard, (TextSpan{1, 5}));

    // And a play that the output drops half way ends with what the sink said.
    sink.failPlay(SoundProblem::NoOutput);
    EXPECT_EQ(preview.poll().problem, SoundProblem::NoOutput);
    EXPECT_FALSE(preview.poll().playing);
}

TEST_F(PreviewTest, AMelodyHeardWithoutProgressForASecondHasStalled) {
    ASSERT_EQ(preview.playMelody(melody), MelodyPreview::Outcome::Started);
    // Starting takes what it takes: the sink gives up on an output that does not answer.
    now += 5s;
    EXPECT_TRUE(preview.poll().playing);

    sink.hearAt(100);
    EXPECT_TRUE(preview.poll().playing);
    // Progress restarts the second.
    now += 900ms;
    sink.hearAt(101);
    EXPECT_TRUE(preview.poll().playing);
    now += 999ms;
    EXPECT_TRUE(preview.poll().playing);
    const int stops = sink.stops;
    now += 1ms;
    const MelodyPreview::Progress stalled = preview.poll();
    EXPECT_FALSE(stalled.playing);
    EXPECT_EQ(stalled.problem, SoundProblem::Stalled);
    EXPECT_GT(sink.stops, stops) << "a stalled play is cut off";
    EXPECT_EQ(preview.poll().problem, SoundProblem::None);
}

} // namespace
} // namespace quillon::test
