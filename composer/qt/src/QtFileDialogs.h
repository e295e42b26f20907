#pragma once

#include "quillon/FileDialogs.h"

class QWidget;

namespace quillon {

// Open, Save As and the question on closing, as Qt's own dialogs over the window: the same on
// every desktop (no portal or platform dialog), which the tests drive by keys.
class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget& window) : window_(window) {}

    std::optional<std::filesystem::path> askOpenPath(std::u16string_view title,
                                                     std::span<const FileFilter> filters,
                                                     const std::filesystem::path& folder) override;
    std::optional<std::filesystem::path>
    askSavePath(std::u16string_view title, std::span<const FileFilter> filters,
                const std::filesystem::path& suggested) override;
    CloseAnswer askSaveChanges(const CloseQuestion& question) override;

private:
    QWidget& window_;
};

} // namespace quillon
