#pragma once

#include "quillon/Caption.h"
#include "quillon/FileDialogs.h"
#include "quillon/FormTable.h"
#include "quillon/MelodyKeeper.h"
#include "quillon/PortList.h"
#include "quillon/SessionActions.h"
#include "quillon/SessionPorts.h"
#include "quillon/SoundSink.h"
#include "quillon/UserTexts.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

class NoticeQueue;
class SessionCore;

// The window's parts the session drives. All must outlive the session.
struct SessionPorts {
    TextControl& text1;
    TextMarks& marks;
    Caption& label3;
    Notice& notice;
    TimerFactory& timers;
    SoundSink& sound;
    FileDialogs& files;
    // The window's own caption.
    Caption& form1;
    Clipboard& clipboard;
};

// The composer behind either window: owns the music code editor and its undo history, runs
// the commands of the form's buttons, checks the melody a moment after every change, plays,
// stops and follows the preview, sounds clicked notes and decides what the user is told.
// A window creates its controls from the form table, implements the ports, and forwards its
// events here; nothing else.
class ComposerSession {
public:
    // Melodies are kept without asking only where `keeping` says: a program passes
    // MelodyKeeping::inUserFolder(); tests keep nothing unless they choose a folder.
    explicit ComposerSession(SessionPorts ports, MelodyKeeping keeping = {});
    ~ComposerSession();
    ComposerSession(const ComposerSession&) = delete;
    ComposerSession& operator=(const ComposerSession&) = delete;

    // Load: once, before the window first shows. Puts the array header into Text1, makes it the
    // bottom of the undo history, checks it and starts connecting the sound output.
    void Form_Load();

    // A control of the form table was clicked (or pressed from the keyboard).
    void run(const Command& command);

    // Text1's control reports every edit of the user's, synchronously, in its own offsets:
    // `removed` units at `from` gave way to `inserted`, and it now holds `lengthAfter` units.
    // What it reports of the session's own writes, and input method composition until it is
    // committed, the session passes over.
    void Text1_Change(std::size_t from, std::size_t removed, std::u16string_view inserted,
                      std::size_t lengthAfter);
    // The same from a control that cannot say where its text changed: the session reads it.
    void Text1_Change();

    // The underlines that reach into [from, to) of Text1, in the control's offsets: what a
    // window paints over the lines in view.
    std::vector<TextMark> Text1_MarksWithin(std::size_t from, std::size_t to) const;

    // Text1's text as the session holds it, every line break CR LF, until the next change.
    std::u16string_view text() const;

    // The window's progress window for uploads to a board; none runs them unseen.
    void setBoardProgressWindow(BoardProgressWindow* window);
    // Where F6 looks for boards: the system's serial ports unless this names others.
    void setBoardPortLister(std::function<std::vector<PortInfo>()> lister);

    // The action a key press asks for, if the session binds it: F5, F6, Esc, Ctrl+O, Ctrl+S and
    // Ctrl+Shift+S anywhere in the window; Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z, Ctrl+A, Alt+Up,
    // Alt+Down, Alt+Shift+Up and Alt+Shift+Down only while Text1 has the focus.
    std::optional<SessionAction> actionForKey(const KeyPress& key, bool inText1) const;

    // `item` is the menu entry's, for OpenRecent.
    void perform(SessionAction action, std::size_t item = 0);

    // The window is asked to close. Writes the kept melody; asks whether to save a melody whose
    // file has changes not saved, and saves it when told to. `answer` is called once, before
    // this returns or later, with true when the window may close: after a save only once the
    // file is written. Asked again while the question is open, it does not answer the second
    // time. Whatever fails, the window may close: the melody is kept.
    void Form_QueryUnload(std::function<void(bool mayClose)> answer);

    // Entries the session adds to Text1's context menu, in order, with their state now.
    std::vector<MenuEntry> contextMenuEntries() const;
    bool canUndo() const;
    bool canRedo() const;

    // Copies `pageAddress` (any fragment left off) with the melody in its fragment: a link that
    // opens this melody. Tells the user when the clipboard would not take it.
    void copyShareLink(std::u16string_view pageAddress);
    // Opens the melody that an address's fragment (without its "#") carries as a new melody
    // without a file; the one before stays kept. False, and the text unchanged, when the
    // fragment carries none; a broken one is told to the user.
    bool openShared(std::string_view fragment);

    // What a tooltip over the character at the control's offset `index` of Text1 says; empty
    // over no finding.
    std::u16string tipAt(std::size_t index) const;

private:
    class Timers;

    // Before the core, which holds what they make and is gone first.
    std::unique_ptr<NoticeQueue> notices_;
    std::unique_ptr<Timers> timers_;
    std::unique_ptr<SessionCore> core_;
};

} // namespace quillon
