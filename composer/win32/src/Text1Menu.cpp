#include "Text1Menu.h"

#include "Text1Box.h"
#include "quillon/ComposerSession.h"
#include "quillon/UserTexts.h"

#include <string>
#include <vector>

namespace quillon::win32 {
namespace {

enum Entry : UINT { Undo = 1, Redo, Cut, Copy, Paste, Delete, SelectAll, SessionEntries = 100 };

void append(HMENU menu, UINT id, std::u16string_view text, bool enabled, bool checked = false) {
    const std::wstring label(text.begin(), text.end());
    AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED) | (checked ? MF_CHECKED : 0U),
                id, label.c_str());
}

} // namespace

void Text1Menu::showAt(POINT screen) {
    const HMENU menu = CreatePopupMenu();
    const bool selected = text1_.hasSelection();
    append(menu, Undo, userText(UserText::UndoMenu), session_.canUndo());
    append(menu, Redo, userText(UserText::RedoMenu), session_.canRedo());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    append(menu, Cut, userText(UserText::CutMenu), selected);
    append(menu, Copy, userText(UserText::CopyMenu), selected);
    append(menu, Paste, userText(UserText::PasteMenu), text1_.canPaste());
    append(menu, Delete, userText(UserText::DeleteMenu), selected);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    append(menu, SelectAll, userText(UserText::SelectAllMenu), !text1_.empty());
    // The session's entries, submenus included, numbered in the order they are added.
    const std::vector<MenuEntry> entries = session_.contextMenuEntries();
    std::vector<const MenuEntry*> numbered;
    const auto addEntries = [&](auto& self, HMENU into,
                                const std::vector<MenuEntry>& list) -> void {
        for (const MenuEntry& entry : list) {
            if (!entry.submenu.empty()) {
                const HMENU submenu = CreatePopupMenu();
                self(self, submenu, entry.submenu);
                const std::wstring label(entry.text.begin(), entry.text.end());
                AppendMenuW(into, MF_POPUP | (entry.enabled ? MF_ENABLED : MF_GRAYED),
                            reinterpret_cast<UINT_PTR>(submenu), label.c_str());
                continue;
            }
            append(into, SessionEntries + static_cast<UINT>(numbered.size()), entry.text,
                   entry.enabled, entry.checkable && entry.checked);
            numbered.push_back(&entry);
        }
    };
    if (!entries.empty()) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    addEntries(addEntries, menu, entries);

    const auto chosen =
        static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                         screen.x, screen.y, 0, owner_, nullptr));
    DestroyMenu(menu);
    switch (chosen) {
    case 0:
        return;
    case Undo:
        session_.perform(SessionAction::Undo);
        return;
    case Redo:
        session_.perform(SessionAction::Redo);
        return;
    case Cut:
        text1_.cut();
        return;
    case Copy:
        text1_.copy();
        return;
    case Paste:
        text1_.paste();
        return;
    case Delete:
        text1_.deleteSelection();
        return;
    case SelectAll:
        session_.perform(SessionAction::SelectAll);
        return;
    default:
        if (chosen >= SessionEntries && chosen - SessionEntries < numbered.size()) {
            const MenuEntry& entry = *numbered[chosen - SessionEntries];
            session_.perform(entry.action, entry.item);
        }
        return;
    }
}

} // namespace quillon::win32
