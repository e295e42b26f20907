#pragma once

#include "quillon/Finding.h"
#include "quillon/ImportError.h"
#include "quillon/ImportReport.h"
#include "quillon/MelodyFile.h"
#include "quillon/SoundSink.h"

#include <string>
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
    // A click, key or menu entry that could not finish: what it had done so far stays.
    StepFailed,
    OutOfMemory,
    AboutApplication,
    AboutExtra,
    // Keeping, saving and opening melodies.
    OpenMenu,
    SaveMenu,
    SaveAsMenu,
    RecentMenu,
    NoRecentMelodies,
    OpenTitle,
    SaveAsTitle,
    SourceFilesFilter,
    AllFilesFilter,
    SaveButton,
    DontSaveButton,
    CancelButton,
    MelodiesNotKept,
    // Bringing a tune in.
    TunesFilter,
    TuneChanged,
    TuneNotImported,
    // The melody as an Arduino sketch.
    CopyArduinoSketchMenu,
    ClipboardFailed,
};

std::u16string_view userText(UserText text);

// One short sentence for a finding's tooltip: what is wrong and what it does to the firmware.
std::u16string_view findingText(FindingKind kind);

// Why there is no sound, below the NoSound message.
std::u16string_view soundProblemText(SoundProblem problem);

// What went wrong with a file, above problemDetail's path and reason.
std::u16string_view fileProblemText(FileProblemKind kind);

// Why a tune could not be brought in, below TuneNotImported.
std::u16string_view importErrorText(ImportError error);

// Everything that had to change to bring a tune in, one line per kind of change.
std::u16string importReportText(const ImportReport& report);

// Closing a melody whose file has changes not saved.
std::u16string saveChangesQuestion(std::u16string_view fileName);

} // namespace quillon
