#pragma once

#include <exception>

#include "BoardPlayer.h"
#include "NoticeQueue.h"
#include "quillon/ComposerSession.h"
#include "quillon/MelodyCheck.h"
#include "quillon/MelodyPreview.h"
#include "quillon/MelodyReader.h"
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

// What ComposerSession does, behind its interface.
class SessionCore {
public:
    SessionCore(SessionPorts ports, MelodyKeeping keeping);
    ~SessionCore();
    SessionCore(const SessionCore&) = delete;
    SessionCore& operator=(const SessionCore&) = delete;

    // Every entry point runs inside one of these: once the outermost ends, the melody is checked
    // at once when the change was near the end (an append costs microseconds and its marks are
    // then painted with the text), or once the user pauses when it was further up. Then what
    // the call had to tell the user is shown. A timer's entry changes no text and checks
    // nothing.
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
    std::optional<SessionAction> actionForKey(const KeyPress& key, bool inText1) const;
    void perform(SessionAction action, std::size_t item);
    // Answers once, at once or when the user has answered the question; a second ask while the
    // question is open is not answered.
    void queryUnload(const std::function<void(bool mayClose)>& answer);
    std::vector<MenuEntry> contextMenuEntries() const;
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    std::u16string tipAt(std::size_t controlOffset) const;
    std::vector<TextMark> marksWithin(std::size_t from, std::size_t to) const {
        return mirror_.marksWithin(from, to);
    }
    std::u16string_view text() const { return mirror_.text(); }
    void setBoardProgressWindow(BoardProgressWindow* window) { board_.setWindow(window); }
    void setBoardPortLister(BoardPlayer::PortLister lister) {
        board_.setPortLister(std::move(lister));
    }
    // Tells the user that an event's handler stopped on `failure` before its end.
    void tellFailure(const std::exception& failure) noexcept;
    // Where the notices that ports.notice holds back are shown from, once a call has returned.
    void setNotices(NoticeQueue* queue) { notices_ = queue; }
    // A timer of the window's has fired: `run` runs as an entry of its own.
    void timerFired(const std::function<void()>& run) noexcept;

private:
    void play();
    void copyArduinoSketch();
    void playOnBoard();
    void stopPlaying();
    void follow();
    void check();
    // A write of the session's, or a step of the history walked, is in the text.
    void written();
    void userEdited(std::optional<TextMirror::Edit> edit);
    void textMoved();
    void settle();
    void walk(bool undo);
    void soundClickedNote(MusicCode code);
    // Moves the notes of the selection, or of the whole melody, by `step` note indexes.
    void transposeNotes(int step);

    // Keeping, saving and opening.
    void beginMelody();
    void open();
    // A tune file (MIDI, RTTTL) brought in as music codes; false when the file is to be opened
    // as text instead.
    bool bringInTune(const std::filesystem::path& path);
    // The tune at `index` of what the file's bytes offer, or the default one, as a new melody.
    void takeTune(const std::filesystem::path& path, const std::string& bytes,
                  std::optional<std::size_t> index);
    void openFile(const std::filesystem::path& chosen);
    void openRecent(std::size_t item);
    // Told whether the melody was saved, at once or once the user has chosen a file.
    void save(bool askForName, std::function<void(bool saved)> done = {});
    bool saveTo(const std::filesystem::path& target);
    // What a dialog's answer sets off, as an entry of its own: the answer may come after the
    // call that asked has returned.
    void answered(const std::function<void()>& run) noexcept;
    void flushNotices() noexcept;
    // Puts `text` into Text1 as one step that counts as one change, like a paste.
    void putText(std::u16string_view text);
    // Writes a change into Text1 the same way.
    void write(const TextChange& change);
    void showCaption();
    void warn(const FileProblem& problem);

    SessionPorts ports_;
    TextMirror mirror_;
    TextHistory history_;
    MusicEditor editor_;
    MelodyPreview preview_;
    std::unique_ptr<OneShotTimer> checkTimer_;
    std::unique_ptr<OneShotTimer> followTimer_;
    // Reads the text again only from where it changed; holds the melody as last read.
    MelodyCheck checker_;
    // Whether the text is as it was when last read.
    bool checked_ = false;
    bool melodyPlaying_ = false;
    bool soundOnClick_ = true;
    int entries_ = 0;
    NoticeQueue* notices_ = nullptr;
    // The close question is open: its answer decides.
    bool closeAsked_ = false;
    // Answers to dialogs hold a weak copy: one that comes after the session has gone is dropped.
    std::shared_ptr<int> life_ = std::make_shared<int>(0);

    // After the history, which it reads when it writes on its way out.
    std::unique_ptr<MelodyKeeper> keeper_;
    // The melody's own file, once saved or opened, and the text it holds.
    std::optional<std::filesystem::path> file_;
    std::u16string savedText_;
    // The recent melodies as the context menu last listed them.
    mutable std::vector<std::filesystem::path> listedRecent_;
    std::u16string caption_;
    // Last: its thread is stopped before anything it reports to goes.
    BoardPlayer board_;
};

} // namespace quillon
