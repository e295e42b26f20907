#pragma once

#include "quillon/FileDialogs.h"
#include "quillon/SessionPorts.h"

#include <emscripten/val.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace quillon {

// The page's dialogs, message boxes and clipboard. Every dialog answers later: the page shows
// it and calls back with the dialog's number when the user has chosen. Files live in the
// page's own file system: an opened file is copied into it first, and the page hands a saved
// one on to the browser (a file the user picked, or a download).
class WebDialogs final : public FileDialogs, public Notice, public Clipboard {
public:
    explicit WebDialogs(emscripten::val face) : face_(std::move(face)) {}

    void askOpenPath(std::u16string_view title, std::span<const FileFilter> filters,
                     const std::filesystem::path& folder, PathAnswer answer) override;
    void askSavePath(std::u16string_view title, std::span<const FileFilter> filters,
                     const std::filesystem::path& suggested, PathAnswer answer) override;
    void askSaveChanges(const CloseQuestion& question, SaveChangesAnswer answer) override;
    void askTuneChoice(const TuneQuestion& question, TuneAnswer answer) override;

    void showWarning(std::u16string_view text, std::u16string_view detail) override;
    void showInformation(std::u16string_view text, std::u16string_view detail) override;
    void showAbout(std::u16string_view applicationText, std::u16string_view extraText) override;

    bool setClipboardText(std::u16string_view text) override;

    // The next Open takes this file, dropped on the page, without asking.
    void openDropped(std::filesystem::path path) { dropped_ = std::move(path); }
    // The page is going away: the close question is answered "don't save" at once, as the
    // melody is kept whatever happens.
    void leaving() { leaving_ = true; }

    // The answers, by the number the page was given; one for a dialog no longer open is dropped.
    void answerPath(int id, const std::string& path);
    void answerClose(int id, int answer);
    void answerTune(int id, int row);

private:
    emscripten::val face_;
    int next_ = 1;
    std::map<int, PathAnswer> paths_;
    std::map<int, SaveChangesAnswer> closes_;
    std::map<int, TuneAnswer> tunes_;
    std::optional<std::filesystem::path> dropped_;
    bool leaving_ = false;
};

} // namespace quillon
