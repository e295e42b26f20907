// The preview's playing and what it says is being heard, against a sound sink whose listener
// the test moves: lengths by the duration codes 400, 100, 200, 400, 800... ms.
#include "quillon/MelodyPreview.h"
#include "FakeSoundSink.h"

#include <gtest/gtest.h>

#include <optional>

namespace quillon::test {
namespace {

// C5 for 400 ms, a rest of 400 ms, E5 for 100 ms, then the end; the literals stand at
// [1, 5), [7, 11) and [13, 17).
constexpr std::u16string_view kText = u"{0x73, 0xf8, 0x81, 0}";

TEST(MelodyPreview, SaysWhichElementIsBeingHeard) {
    FakeSoundSink sink;
    MelodyPreview preview(sink);
    ASSERT_EQ(preview.playMelody(kText), MelodyPreview::Outcome::Playing);
    ASSERT_EQ(sink.played.size(), 1U);
    EXPECT_EQ(sink.played[0].size(), (400U + 400U + 100U) * 8U);
    EXPECT_TRUE(preview.playingMelody());

    const struct {
        std::int64_t millis;
        std::optional<TextSpan> span;
    } moments[] = {
        {0, TextSpan{1, 5}},     {379, TextSpan{1, 5}},  {399, TextSpan{1, 5}},
        {400, TextSpan{7, 11}},  {799, TextSpan{7, 11}}, {800, TextSpan{13, 17}},
        {899, TextSpan{13, 17}}, {900, std::nullopt},
    };
    for (const auto& moment : moments) {
        sink.hearAt(moment.millis);
        EXPECT_EQ(preview.heardElement(), moment.span) << moment.millis << " ms";
    }
    EXPECT_FALSE(preview.playingMelody());
}

TEST(MelodyPreview, StopAndANoteCutTheMelodyOff) {
    FakeSoundSink sink;
    MelodyPreview preview(sink);
    ASSERT_EQ(preview.playMelody(kText), MelodyPreview::Outcome::Playing);
    sink.hearAt(100);
    preview.stop();
    EXPECT_FALSE(preview.playingMelody());
    EXPECT_EQ(preview.heardElement(), std::nullopt);

    ASSERT_EQ(preview.playMelody(kText), MelodyPreview::Outcome::Playing);
    const int stops = sink.stops;
    preview.soundNote(0x0b); // D3, 400 ms
    EXPECT_GT(sink.stops, stops);
    ASSERT_EQ(sink.played.size(), 3U);
    EXPECT_EQ(sink.played.back().size(), 400U * 8U);
    // A single note is heard, but no element of the text.
    EXPECT_FALSE(preview.playingMelody());
    EXPECT_EQ(preview.heardElement(), std::nullopt);

    // Playing again starts from the first element.
    ASSERT_EQ(preview.playMelody(kText), MelodyPreview::Outcome::Playing);
    sink.hearAt(0);
    EXPECT_EQ(preview.heardElement(), (TextSpan{1, 5}));
}

TEST(MelodyPreview, ReportsWhatCannotPlay) {
    FakeSoundSink sink;
    MelodyPreview preview(sink);
    EXPECT_EQ(preview.playMelody(u"{0, 0x73}"), MelodyPreview::Outcome::NothingToPlay);
    EXPECT_EQ(preview.playMelody(u"const unsigned char music_item[] = {\r\n"),
              MelodyPreview::Outcome::NothingToPlay);
    EXPECT_TRUE(sink.played.empty());

    sink.available = false;
    EXPECT_EQ(preview.playMelody(kText), MelodyPreview::Outcome::NoSound);
    EXPECT_FALSE(preview.soundError().empty());
    // A note click without sound is silent and says nothing.
    preview.soundNote(0x73);
    EXPECT_TRUE(sink.played.empty());
    EXPECT_FALSE(preview.playingMelody());
}

} // namespace
} // namespace quillon::test
