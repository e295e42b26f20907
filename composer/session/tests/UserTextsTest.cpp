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

} // namespace
} // namespace quillon
