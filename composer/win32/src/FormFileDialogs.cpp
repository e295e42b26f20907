#include "FormFileDialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdint>
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

// A dialog template in memory, as DialogBoxIndirectParamW takes it: a DLGTEMPLATE, its menu,
// class, title and font, then each item's DLGITEMTEMPLATE on a DWORD boundary with its class
// atom, text and no creation data.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, short cx, short cy, std::wstring_view title, WORD items) {
        add(style);
        add(DWORD{0});
        add(items);
        add(short{0});
        add(short{0});
        add(cx);
        add(cy);
        add(WORD{0}); // no menu
        add(WORD{0}); // the standard dialog class
        add(title);
        add(WORD{9});
        add(std::wstring_view(L"MS Shell Dlg"));
    }

    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              std::wstring_view text) {
        while (words_.size() % 2 != 0) {
            words_.push_back(0);
        }
        add(style | WS_CHILD | WS_VISIBLE);
        add(DWORD{0});
        add(x);
        add(y);
        add(cx);
        add(cy);
        add(id);
        add(WORD{0xffff});
        add(atom);
        add(text);
        add(WORD{0});
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void add(WORD w) { words_.push_back(w); }
    void add(short s) { words_.push_back(static_cast<WORD>(s)); }
    void add(DWORD d) {
        words_.push_back(LOWORD(d));
        words_.push_back(HIWORD(d));
    }
    void add(std::wstring_view text) {
        words_.insert(words_.end(), text.begin(), text.end());
        words_.push_back(0);
    }

    // The allocator's alignment keeps the start on a DWORD boundary, as the template must be.
    std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kListBoxAtom = 0x0083;
constexpr WORD kTuneList = 100;

struct TuneDialogState {
    const TuneQuestion* question;
};

// Ends with the row chosen, or -1 when cancelled.
INT_PTR CALLBACK tuneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* state = reinterpret_cast<const TuneDialogState*>(lParam);
        const HWND list = GetDlgItem(dialog, kTuneList);
        for (const std::u16string& row : state->question->rows) {
            const std::wstring text = wide(row);
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        SendMessageW(list, LB_SETCURSEL, state->question->defaultRow, 0);
        SetFocus(list);
        // The focus is set: the dialog manager must not move it.
        return FALSE;
    }
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        const bool doubleClick = id == kTuneList && HIWORD(wParam) == LBN_DBLCLK;
        if (id == IDOK || doubleClick) {
            const LRESULT row = SendMessageW(GetDlgItem(dialog, kTuneList), LB_GETCURSEL, 0, 0);
            EndDialog(dialog, row == LB_ERR ? -1 : row);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(dialog, -1);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

// The task dialog of the close question, waiting in its own loop.
CloseAnswer saveChangesAnswer(HWND owner, const CloseQuestion& question) {
    const std::wstring text = wide(question.question);
    const std::wstring save = wide(question.save);
    const std::wstring dontSave = wide(question.dontSave);
    const std::wstring cancel = wide(question.cancel);
    const TASKDIALOG_BUTTON buttons[] = {
        {IDYES, save.c_str()}, {IDNO, dontSave.c_str()}, {IDCANCEL, cancel.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
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

} // namespace

void FormFileDialogs::askOpenPath(std::u16string_view title, std::span<const FileFilter> filters,
                                  const std::filesystem::path& folder, PathAnswer answer) {
    Chooser chooser(owner_, title, filters);
    chooser.startIn(folder);
    chooser.dialog.Flags |= OFN_FILEMUSTEXIST;
    if (GetOpenFileNameW(&chooser.dialog) == FALSE) {
        answer(std::nullopt);
        return;
    }
    answer(chooser.chosen());
}

void FormFileDialogs::askSavePath(std::u16string_view title, std::span<const FileFilter> filters,
                                  const std::filesystem::path& suggested, PathAnswer answer) {
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
        answer(std::nullopt);
        return;
    }
    answer(chooser.chosen());
}

void FormFileDialogs::askSaveChanges(const CloseQuestion& question, SaveChangesAnswer answer) {
    answer(saveChangesAnswer(owner_, question));
}

void FormFileDialogs::askTuneChoice(const TuneQuestion& question, TuneAnswer answer) {
    // Dialog units: a list wide enough for a name and the facts, ten rows high.
    DialogTemplate dialog(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION |
                              WS_SYSMENU,
                          300, 150, wide(question.title), 4);
    dialog.item(SS_LEFT, 7, 7, 286, 10, 0xffff, kStaticAtom, wide(question.prompt));
    dialog.item(LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 7, 20, 286,
                103, kTuneList, kListBoxAtom, L"");
    dialog.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 182, 129, 52, 14, IDOK, kButtonAtom,
                wide(question.take));
    dialog.item(BS_PUSHBUTTON | WS_TABSTOP, 241, 129, 52, 14, IDCANCEL, kButtonAtom,
                wide(question.cancel));
    TuneDialogState state{&question};
    const INT_PTR row = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner_,
                                                tuneDialogProc, reinterpret_cast<LPARAM>(&state));
    answer(row >= 0 && static_cast<std::size_t>(row) < question.rows.size()
               ? std::optional(static_cast<std::size_t>(row))
               : std::nullopt);
}

} // namespace quillon::win32
