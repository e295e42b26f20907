#include "FormFileDialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>
#include <vector>

namespace quillon::win32 {
namespace {

std::wstring wide(std::u16string_view text) {
    return {text.begin(), text.end()};
}

// The common dialogs' list: label, NUL, patterns joined by ";", NUL, ..., and one NUL more.
std::wstring filterList(std::span<const FileFilter> filters) {
    std::wstring list;
    for (const FileFilter& filter : filters) {
        list += wide(filter.label);
        list += L'\0';
        for (const char16_t c : filter.patterns) {
            list += c == u' ' ? L';' : static_cast<wchar_t>(c);
        }
        list += L'\0';
    }
    list += L'\0';
    return list;
}

// Room for the longest path Windows takes.
constexpr std::size_t kPathRoom = 32768;

struct Chooser {
    OPENFILENAMEW dialog{};
    std::wstring filters;
    std::wstring title;
    std::wstring folder;
    std::wstring defaultExtension;
    std::vector<wchar_t> file = std::vector<wchar_t>(kPathRoom, L'\0');

    Chooser(HWND owner, std::u16string_view titleText, std::span<const FileFilter> list)
        : filters(filterList(list)), title(wide(titleText)) {
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = owner;
        dialog.lpstrFilter = filters.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = file.data();
        dialog.nMaxFile = static_cast<DWORD>(file.size());
        dialog.lpstrTitle = title.c_str();
        // The program's working folder stays where it was.
        dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    }

    void startIn(const std::filesystem::path& where) {
        folder = where.wstring();
        dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    }

    std::filesystem::path chosen() const { return std::filesystem::path(file.data()); }
};

} // namespace

std::optional<std::filesystem::path>
FormFileDialogs::askOpenPath(std::u16string_view title, std::span<const FileFilter> filters,
                             const std::filesystem::path& folder) {
    Chooser chooser(owner_, title, filters);
    chooser.startIn(folder);
    chooser.dialog.Flags |= OFN_FILEMUSTEXIST;
    if (GetOpenFileNameW(&chooser.dialog) == FALSE) {
        return std::nullopt;
    }
    return chooser.chosen();
}

std::optional<std::filesystem::path>
FormFileDialogs::askSavePath(std::u16string_view title, std::span<const FileFilter> filters,
                             const std::filesystem::path& suggested) {
    Chooser chooser(owner_, title, filters);
    chooser.startIn(suggested.parent_path());
    const std::wstring name = suggested.filename().wstring();
    if (name.size() < chooser.file.size()) {
        name.copy(chooser.file.data(), name.size());
    }
    chooser.defaultExtension = wide(kDefaultSuffix);
    chooser.dialog.lpstrDefExt = chooser.defaultExtension.c_str();
    chooser.dialog.Flags |= OFN_OVERWRITEPROMPT;
    if (GetSaveFileNameW(&chooser.dialog) == FALSE) {
        return std::nullopt;
    }
    return chooser.chosen();
}

CloseAnswer FormFileDialogs::askSaveChanges(const CloseQuestion& question) {
    const std::wstring text = wide(question.question);
    const std::wstring save = wide(question.save);
    const std::wstring dontSave = wide(question.dontSave);
    const std::wstring cancel = wide(question.cancel);
    const TASKDIALOG_BUTTON buttons[] = {
        {IDYES, save.c_str()}, {IDNO, dontSave.c_str()}, {IDCANCEL, cancel.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner_;
    // Escape and the close button answer Cancel.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = L"Quillon";
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = text.c_str();
    config.cButtons = 3;
    config.pButtons = buttons;
    config.nDefaultButton = IDYES;
    int pressed = IDCANCEL;
    if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
        return CloseAnswer::Cancel;
    }
    switch (pressed) {
    case IDYES:
        return CloseAnswer::Save;
    case IDNO:
        return CloseAnswer::DontSave;
    default:
        return CloseAnswer::Cancel;
    }
}

} // namespace quillon::win32
