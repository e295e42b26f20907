#pragma once

#include "quillon/Caption.h"
#include "quillon/FormTable.h"
#include "quillon/SessionPorts.h"
#include "quillon/SoundSink.h"
#include "quillon/UserTexts.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

class SessionCore;

// What a key or a menu entry asks of the session.
enum class SessionAction : std::uint8_t {
    Play,
    Stop,
    Undo,
    Redo,
    ToggleSoundOnClick,
    SelectAll,
};

// The keys the session binds, as each window translates its own.
enum class Key : std::uint8_t { Other, F5, Escape, A, Y, Z };

struct KeyPress {
    Key key = Key::Other;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};

struct MenuEntry {
    SessionAction action;
    std::u16string_view text;
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
};

// The window's parts the session drives. All must outlive the session.
struct SessionPorts {
    TextControl& text1;
    TextMarks& marks;
    Caption& label3;
    Notice& notice;
    TimerFactory& timers;
    SoundSink& sound;
};

// The composer behind either window: owns the music code editor and its undo history, runs
// the commands of the form's buttons, checks the melody a moment after every change, plays,
// stops and follows the preview, sounds clicked notes and decides what the user is told.
// A window creates its controls from the form table, implements the ports, and forwards its
// events here; nothing else.
class ComposerSession {
public:
    explicit ComposerSession(SessionPorts ports);
    ~ComposerSession();
    ComposerSession(const ComposerSession&) = delete;
    ComposerSession& operator=(const ComposerSession&) = delete;

    // Load: once, before the window first shows. Puts the array header into Text1, makes it the
    // bottom of the undo history, checks it and starts connecting the sound output.
    void Form_Load();

    // A control of the form table was clicked (or pressed from the keyboard).
    void run(const Command& command);

    // Text1 reports every change of its text, synchronously: the session's own writes (from
    // inside setText) and every edit of the user's that changed the text. Input method
    // composition is no change until it is committed.
    void Text1_Change();

    // The action a key press asks for, if the session binds it: F5 and Esc anywhere in the
    // window; Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z and Ctrl+A only while Text1 has the focus.
    std::optional<SessionAction> actionForKey(const KeyPress& key, bool inText1) const;

    void perform(SessionAction action);

    // Entries the session adds to Text1's context menu, in order, with their state now.
    std::vector<MenuEntry> contextMenuEntries() const;
    bool canUndo() const;
    bool canRedo() const;

    // What a tooltip over the character at `index` of Text1 says; empty over no finding.
    std::u16string tipAt(std::size_t index) const;

private:
    std::unique_ptr<SessionCore> core_;
};

} // namespace quillon
