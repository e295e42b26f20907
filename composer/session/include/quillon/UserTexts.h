#pragma once

#include "quillon/Finding.h"
#include "quillon/SoundSink.h"

#include <string_view>

namespace quillon {

// Every sentence the composer shows its user, in one place per language. Windows take menu
// entries and messages from here; no library writes user texts of its own.
enum class UserText {
    PlayMenu,
    StopMenu,
    SoundOnClickMenu,
    UndoMenu,
    RedoMenu,
    CutMenu,
    CopyMenu,
    PasteMenu,
    DeleteMenu,
    SelectAllMenu,
    NoSound,
    PlayFailed,
    AboutApplication,
    AboutExtra,
};

std::u16string_view userText(UserText text);

// One short sentence for a finding's tooltip: what is wrong and what it does to the firmware.
std::u16string_view findingText(FindingKind kind);

// Why there is no sound, below the NoSound message.
std::u16string_view soundProblemText(SoundProblem problem);

} // namespace quillon
