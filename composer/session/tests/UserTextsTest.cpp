// Every sentence the composer can show has its text: a finding's tooltip says its own thing, in
// Chinese, for every kind the reader knows.
#include "quillon/UserTexts.h"

#include <gtest/gtest.h>

#include <set>

namespace quillon {
namespace {

bool hasChinese(std::u16string_view text) {
    for (const char16_t ch : text) {
        if (ch >= 0x4e00 && ch <= 0x9fff) {
            return true;
        }
    }
    return false;
}

TEST(UserTexts, EveryFindingAndSoundProblemHasItsOwnSentence) {
    std::set<std::u16string_view> seen;
    for (int k = 0; k < kFindingKinds; ++k) {
        const std::u16string_view text = findingText(static_cast<FindingKind>(k));
        EXPECT_TRUE(hasChinese(text)) << "kind " << k;
        EXPECT_GE(text.size(), 10U) << "kind " << k;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kFindingKinds));

    EXPECT_TRUE(soundProblemText(SoundProblem::None).empty());
    for (const SoundProblem problem :
         {SoundProblem::NoOutput, SoundProblem::OutputFailed, SoundProblem::Stalled}) {
        EXPECT_TRUE(hasChinese(soundProblemText(problem)));
    }
    for (const UserText text :
         {UserText::PlayMenu, UserText::StopMenu, UserText::SoundOnClickMenu, UserText::UndoMenu,
          UserText::RedoMenu, UserText::NoSound, UserText::PlayFailed}) {
        EXPECT_TRUE(hasChinese(userText(text)));
    }
}

// A row of the list of tunes: number, name (or none), channels when it has any, notes, range
// as note names (MIDI 43 is G2, 62 D4, 61 C#4), and the default marked.
TEST(UserTexts, TuneChoiceRowsShowTheCandidatesFacts) {
    const struct {
        TuneCandidate candidate;
        std::size_t position;
        bool isDefault;
        std::u16string row;
    } cases[] = {
        {{"Chords", {2, 3}, 16, 43, 62},
         2,
         false,
         u"2\u3000Chords\u3000通道 2、3\u300016 个音符\u3000G2–D4"},
        {{"", {1}, 1, 61, 61},
         1,
         true,
         u"1\u3000（无名称）\u3000通道 1\u30001 个音符\u3000C#4–C#4（默认）"},
        {{"\xe4\xb8\xbb\xe6\x97\x8b\xe5\xbe\x8b", {}, 0, -1, -1},
         3,
         false,
         u"3\u3000主旋律\u30000 个音符"},
        {{"bad\xff", {}, 2, 60, 62}, 4, false, u"4\u3000bad\ufffd\u30002 个音符\u3000C4–D4"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tuneChoiceRow(c.candidate, c.position, c.isDefault), c.row) << c.position;
    }
}

} // namespace
} // namespace quillon
