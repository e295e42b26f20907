#pragma once

#include "quillon/UserTexts.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quillon {

// What a key or a menu entry asks of the session.
enum class SessionAction : std::uint8_t {
    Play,
    Stop,
    Undo,
    Redo,
    ToggleSoundOnClick,
    SelectAll,
    Open,
    Save,
    SaveAs,
    // One of the recent melodies, by the `item` that contextMenuEntries gave it.
    OpenRecent,
    // The melody as a complete Arduino sketch, to the clipboard.
    CopyArduinoSketch,
    // The melody written onto a connected board, which then plays it (F6).
    PlayOnBoard,
    // Every note of the selection, or of the melody when nothing is selected, one natural or
    // one octave up or down (Alt+Up, Alt+Down, Alt+Shift+Up, Alt+Shift+Down).
    TransposeUp,
    TransposeDown,
    OctaveUp,
    OctaveDown,
};

// The keys the session binds, as each window translates its own.
enum class Key : std::uint8_t { Other, F5, F6, Escape, A, O, S, Y, Z, Up, Down };

struct KeyPress {
    Key key = Key::Other;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

struct MenuEntry {
    SessionAction action;
    std::u16string text;
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    // Passed back to perform with the action: which recent melody.
    std::size_t item = 0;
    // Not empty: the entry opens this submenu and has no action of its own.
    std::vector<MenuEntry> submenu;
};

// Where a key works: anywhere in the window, or only while Text1 has the focus.
enum class KeyScope : std::uint8_t { Window, Text1 };

// One action of the session: the keys that ask for it and where they work, and its entry in
// Text1's context menu. What it does is the session's.
struct ActionEntry {
    SessionAction action;
    // Key::Other where there is none (Redo alone has two).
    std::array<KeyPress, 2> keys{};
    KeyScope scope = KeyScope::Window;
    // None: only keys ask for it.
    std::optional<UserText> menuText;
};

// Every action, its context menu entries in menu order: the one list that the keys, both
// windows' shortcuts and the menu are made from.
std::span<const ActionEntry> sessionActions();

// The action a key press asks for, if any: modifiers must match exactly.
std::optional<SessionAction> actionForKey(const KeyPress& key, bool inText1);

} // namespace quillon
