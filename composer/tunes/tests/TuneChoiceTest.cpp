// What a file offers to choose from: melody names, note names in the lists, and the tunes of an
// RTTTL collection listed and taken one by one. The MIDI parts are chosen in midi_import_test.py
// on files written by python3-mido.
#include "quillon/ImportTune.h"
#include "quillon/MidiParts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(TuneChoice, TrackNamesThatSayTheyHoldTheTune) {
    for (const char* name : {"Melody", "MELODY", "lead", "Lead 1", "Vocal", "voice 2", "Tune",
                             "Main-melody", "旋律", "主旋律", "长笛 主旋律 (Flute)"}) {
        EXPECT_TRUE(isMelodyName(name)) << name;
    }
    for (const char* name :
         {"", "Kesh Jig", "Leader", "Melodyne", "Tuner", "Fortune", "Voices", "Chords", "律"}) {
        EXPECT_FALSE(isMelodyName(name)) << name;
    }
}

TEST(TuneChoice, NoteNamesWithSharpsOctaveFourHoldingA440) {
    const std::pair<int, const char*> cases[] = {{60, "C4"}, {61, "C#4"}, {69, "A4"}, {70, "A#4"},
                                                 {71, "B4"}, {48, "C3"},  {0, "C-1"}, {127, "G9"}};
    for (const auto& [pitch, name] : cases) {
        EXPECT_EQ(noteName(pitch), name) << pitch;
    }
}

// Three tunes, the third without notes: two to choose from. e6 d#6 are MIDI 88 and 87; c5 g5
// are 72 and 79, the pause no note.
TEST(TuneChoice, TheTunesOfACollectionAreListedAndTakenByNumber) {
    const std::string text =
        "Für Elise:d=8,o=5,b=150:e6,d#6\r\n旋律:d=4,o=5,b=150:c,g,p\r\nz:d=4:zz\r\n";
    const CandidatesResult listed = listTunes(bytesOf(text));
    ASSERT_TRUE(std::holds_alternative<TuneCandidates>(listed));
    const auto& candidates = std::get<TuneCandidates>(listed);
    EXPECT_EQ(candidates.format, TuneFormat::Rtttl);
    EXPECT_EQ(candidates.defaultIndex, 0u);
    ASSERT_EQ(candidates.list.size(), 2u);
    EXPECT_EQ(candidates.list[0].name, "Für Elise");
    EXPECT_EQ(candidates.list[0].notes, 2);
    EXPECT_EQ(candidates.list[0].lowest, 87);
    EXPECT_EQ(candidates.list[0].highest, 88);
    EXPECT_TRUE(candidates.list[0].channels.empty());
    EXPECT_EQ(candidates.list[1].name, "旋律");
    EXPECT_EQ(candidates.list[1].notes, 2);
    EXPECT_EQ(candidates.list[1].lowest, 72);
    EXPECT_EQ(candidates.list[1].highest, 79);

    // The second: C5 and G5 quarters and a quarter pause at 150 a minute, 400 ms each.
    const ImportResult second = importTune(bytesOf(text), 1);
    ASSERT_TRUE(std::holds_alternative<ImportedTune>(second));
    const auto& tune = std::get<ImportedTune>(second);
    EXPECT_EQ(std::vector<int>(tune.codes.begin(), tune.codes.end()),
              (std::vector<int>{0x73, 0x93, 0xf8}));
    EXPECT_EQ(tune.report.changes(), (std::vector<Change>{{ChangeKind::OtherTunesLeftOut, 1, 0}}));

    const ImportResult none = importTune(bytesOf(text), 2);
    ASSERT_TRUE(std::holds_alternative<ImportError>(none));
    EXPECT_EQ(std::get<ImportError>(none), ImportError::NoSuchTune);
}

} // namespace
} // namespace quillon
