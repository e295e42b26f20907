#pragma once

#include "quillon/Finding.h"
#include "quillon/ImportError.h"
#include "quillon/ImportReport.h"
#include "quillon/ImportTune.h"
#include "quillon/MelodyFile.h"
#include "quillon/SoundSink.h"
#include "quillon/UploadError.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

// Every sentence the composer shows its user, in one place per language. Windows take menu
// entries and messages from here; the libraries report kinds (SoundProblem, SoundCause,
// FileProblemKind, ImportError, ChangeKind), and only the words of the system or of the sound
// library itself (a file error's reason, PortAudio's error text) are shown as they came.
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
    TuneChoiceTitle,
    TuneChoicePrompt,
    TakeTuneButton,
    // The melody as an Arduino sketch.
    CopyArduinoSketchMenu,
    ClipboardFailed,
    // Playing it on a connected board.
    PlayOnBoardMenu,
    BoardTitle,
    BoardPortPrompt,
    BoardKindPrompt,
    BoardTakeButton,
    BoardConnecting,
    BoardWriting,
    BoardVerifying,
    BoardDone,
    BoardFailed,
    // No answer from a Leonardo or Micro, whose bootloader waits 8 s after a reset.
    BoardResetFirst,
    BoardNotOnThisSystem,
    // Moving notes up and down.
    TransposeUpMenu,
    TransposeDownMenu,
    OctaveUpMenu,
    OctaveDownMenu,
    NothingToTranspose,
    // The web page's link that carries the melody.
    CopyShareLinkMenu,
    ShareLinkBroken,
};

std::u16string_view userText(UserText text);

// One short sentence for a finding's tooltip: what is wrong and what it does to the firmware.
std::u16string_view findingText(FindingKind kind);

// Why there is no sound, below the NoSound message.
std::u16string_view soundProblemText(SoundProblem problem);

// What lay behind it, after soundProblemText; empty for None.
std::u16string_view soundCauseText(SoundCause cause);

// What went wrong with a file, above problemDetail's path and reason.
std::u16string_view fileProblemText(FileProblemKind kind);

// Why an upload to a board failed and what to do, below BoardFailed.
std::u16string_view uploadErrorText(UploadError error);

// A board kind as the user knows it, by its quillon-upload name ("nano-old").
std::u16string boardKindText(std::string_view name);

// Why a tune could not be brought in, below TuneNotImported.
std::u16string_view importErrorText(ImportError error);

// Everything that had to change to bring a tune in, one line per kind of change.
std::u16string importReportText(const ImportReport& report);

// A row of the list of tunes a file offers: "2　Chords　通道 2、3　16 个音符　G2–D4", with
// "（默认）" after the one taken without asking. `position` counts from 1; a name that is not
// UTF-8 shows its bytes as U+FFFD.
std::u16string tuneChoiceRow(const TuneCandidate& candidate, std::size_t position, bool isDefault);

// After moving notes: how many stayed where they were, at the edge of C3 to B6.
std::u16string notesStayedText(std::size_t count);

// Closing a melody whose file has changes not saved.
std::u16string saveChangesQuestion(std::u16string_view fileName);

} // namespace quillon
