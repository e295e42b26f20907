#pragma once

#include <exception>

#include "BoardPlayer.h"
#include "MelodyChecking.h"
#include "MelodyDocument.h"
#include "NoticeQueue.h"
#include "PreviewFollowing.h"
#include "quillon/ComposerSession.h"
#include "quillon/MusicEditor.h"
#include "quillon/TextChange.h"
#include "quillon/TextHistory.h"
#include "quillon/TextMirror.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// What ComposerSession does, behind its interface: the parts put together (the text and its
// history, the editor's commands, checking, the preview, the melody document, the board) and
// every call of a window's routed to them.
class SessionCore {
public:
    SessionCore(SessionPorts ports, MelodyKeeping keeping);
    ~SessionCore();
    SessionCore(const SessionCore&) = delete;
    SessionCore& operator=(const SessionCore&) = delete;

    // Every entry point runs inside one of these: once the outermost ends, the melody is checked
    // (at once or after a pause, as the change asks), then what the call had to tell the user is
    // shown. A timer's entry changes no text and checks nothing.
    class Entry {
    public:
        explicit Entry(SessionCore& core, bool settles = true) : core_(core), settles_(settles) {
            ++core_.entries_;
        }
        ~Entry();
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;

    private:
        SessionCore& core_;
        bool settles_;
    };

    void load();
    void run(const Command& command);
    // The control reports the user's edit, in its own offsets; or, without them, that its text
    // changed somewhere.
    void controlEdited(std::size_t from, std::size_t removed, std::u16string_view inserted,
                       std::size_t lengthAfter);
    void controlChanged();
    void perform(SessionAction action, std::size_t item);
    void queryUnload(const std::function<void(bool mayClose)>& answer) {
        document_.queryUnload(answer);
    }
    std::vector<MenuEntry> contextMenuEntries() const;
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    std::u16string tipAt(std::size_t controlOffset) const {
        return checking_.tipAt(mirror_.textIndex(controlOffset));
    }
    std::vector<TextMark> marksWithin(std::size_t from, std::size_t to) const {
        return mirror_.marksWithin(from, to);
    }
    std::u16string_view text() const { return mirror_.text(); }
    void setBoardProgressWindow(BoardProgressWindow* window) { board_.setWindow(window); }
    void setBoardPortLister(BoardPlayer::PortLister lister) {
        board_.setPortLister(std::move(lister));
    }
    void copyShareLink(std::u16string_view pageAddress);
    bool openShared(std::string_view fragment);
    // Tells the user that an event's handler stopped on `failure` before its end.
    void tellFailure(const std::exception& failure) noexcept;
    // Where the notices that ports.notice holds back are shown from, once a call has returned.
    void setNotices(NoticeQueue* queue) { notices_ = queue; }
    // A timer of the window's has fired: `run` runs as an entry of its own.
    void timerFired(const std::function<void()>& run) noexcept;

private:
    void copyArduinoSketch();
    // A write of the session's, or a step of the history walked, is in the text.
    void written();
    void userEdited(std::optional<TextMirror::Edit> edit);
    void textMoved();
    void walk(bool undo);
    // Moves the notes of the selection, or of the whole melody, by `step` note indexes.
    void transposeNotes(int step);
    // What a dialog's answer sets off, as an entry of its own: the answer may come after the
    // call that asked has returned.
    void answered(const std::function<void()>& run) noexcept;
    void flushNotices() noexcept;
    // Writes a change into Text1 as one step that counts as one change, like a paste.
    void write(const TextChange& change);

    SessionPorts ports_;
    TextMirror mirror_;
    TextHistory history_;
    MusicEditor editor_;
    MelodyChecking checking_;
    PreviewFollowing preview_;
    int entries_ = 0;
    NoticeQueue* notices_ = nullptr;
    // After the history, which it reads when it keeps the melody on its way out.
    MelodyDocument document_;
    // Last: its thread is stopped before anything it reports to goes.
    BoardPlayer board_;
};

} // namespace quillon
