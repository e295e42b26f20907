#pragma once

#include "quillon/FileDialogs.h"

#include <windows.h>

namespace quillon::win32 {

// The form's file dialogs: Windows' common Open and Save As dialogs, and the question before
// closing a melody with changes not saved as a task dialog with the session's three answers,
// and the choice of a tune as a dialog with a list box.
class FormFileDialogs final : public FileDialogs {
public:
    explicit FormFileDialogs(HWND owner) : owner_(owner) {}

    // Each waits in the dialog's own loop and answers before it returns.
    void askOpenPath(std::u16string_view title, std::span<const FileFilter> filters,
                     const std::filesystem::path& folder, PathAnswer answer) override;
    void askSavePath(std::u16string_view title, std::span<const FileFilter> filters,
                     const std::filesystem::path& suggested, PathAnswer answer) override;
    void askSaveChanges(const CloseQuestion& question, SaveChangesAnswer answer) override;
    // A small dialog built in memory: the prompt, a list box of the rows and the two buttons.
    void askTuneChoice(const TuneQuestion& question, TuneAnswer answer) override;

private:
    HWND owner_;
};

} // namespace quillon::win32
