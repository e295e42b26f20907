#pragma once

#include "quillon/FileDialogs.h"

class QWidget;

namespace quillon {

// Open, Save As, the question on closing and the choice of a tune, as Qt's own dialogs over the
// window: the same on every desktop (no portal or platform dialog), which the tests drive by keys.
class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget& window) : window_(window) {}

    // Each waits in the dialog's own loop and answers before it returns.
    void askOpenPath(std::u16string_view title, std::span<const FileFilter> filters,
                     const std::filesystem::path& folder, PathAnswer answer) override;
    void askSavePath(std::u16string_view title, std::span<const FileFilter> filters,
                     const std::filesystem::path& suggested, PathAnswer answer) override;
    void askSaveChanges(const CloseQuestion& question, SaveChangesAnswer answer) override;
    // A small dialog of its own: the prompt, a list of the rows and the two buttons.
    void askTuneChoice(const TuneQuestion& question, TuneAnswer answer) override;

private:
    QWidget& window_;
};

} // namespace quillon
