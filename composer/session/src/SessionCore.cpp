#include "SessionCore.h"

#include "quillon/ArduinoSketch.h"
#include "quillon/MusicCode.h"
#include "quillon/ShareLink.h"
#include "quillon/Transpose.h"

#include <exception>
#include <new>

namespace quillon {
namespace {

// An octave up or down: seven naturals, seven note indexes.
constexpr int kNotesPerOctave = 7;
// What a rest sounds as when clicked: silence, which cuts off the note before.
constexpr MusicCode kRestCode = 0xf8;

} // namespace

SessionCore::SessionCore(SessionPorts ports, MelodyKeeping keeping)
    : ports_(ports), mirror_(ports.text1, ports.marks), history_(mirror_),
      editor_(history_, ports.label3), checking_(history_, mirror_, ports.timers),
      preview_(ports.sound, mirror_, ports.notice, ports.timers),
      document_(ports, keeping, history_, mirror_,
                {[this](const TextChange& change) { write(change); },
                 [this](const std::function<void()>& run) { answered(run); }}),
      board_(ports.timers, ports.notice, ports.files) {
    history_.changed = [this] { written(); };
    // Beside the kept melodies' folder: the board kind asked once is remembered across runs.
    if (keeping.on && keeping.folder) {
        board_.setMemoryFile(keeping.folder->parent_path() / "board-kind.txt");
    }
}

SessionCore::~SessionCore() = default;

void SessionCore::load() {
    document_.begin();
    editor_.ResetMusicText();
    // The start-up text is where the user begins; undo does not go behind it.
    editor_.StartHistory();
    checking_.check();
    preview_.connect();
}

void SessionCore::run(const Command& command) {
    switch (command.kind) {
    case CommandKind::None:
        return;
    case CommandKind::Note:
        editor_.AppendCodeItem(codeItem(command.code));
        preview_.clicked(command.code);
        return;
    case CommandKind::Extend:
        editor_.ExtendLastCode();
        return;
    case CommandKind::Rest:
        editor_.AppendCodeItem(kRestItem);
        preview_.clicked(kRestCode);
        return;
    case CommandKind::LineBreak:
        editor_.AppendLineBreak();
        return;
    case CommandKind::End:
        editor_.AppendTerminator();
        return;
    case CommandKind::Clear:
        document_.begin();
        editor_.Clear();
        return;
    case CommandKind::About:
        ports_.notice.showAbout(userText(UserText::AboutApplication),
                                userText(UserText::AboutExtra));
        return;
    }
}

void SessionCore::controlEdited(std::size_t from, std::size_t removed, std::u16string_view inserted,
                                std::size_t lengthAfter) {
    userEdited(mirror_.controlEdited(from, removed, inserted, lengthAfter));
}

void SessionCore::controlChanged() {
    userEdited(mirror_.controlChanged());
}

void SessionCore::written() {
    if (history_.walking()) {
        // Undo and redo are not changes: nothing is counted.
        textMoved();
        return;
    }
    editor_.Text1_Change();
    textMoved();
}

void SessionCore::userEdited(std::optional<TextMirror::Edit> edit) {
    if (!edit) {
        return;
    }
    history_.userEdited(std::move(*edit));
    history_.beginUserEdit();
    try {
        editor_.Text1_Change();
    } catch (...) {
        history_.endUserEdit();
        throw;
    }
    history_.endUserEdit();
    textMoved();
}

void SessionCore::textMoved() {
    document_.changed();
    checking_.changed();
    if (preview_.playing()) {
        preview_.stop();
    }
}

void SessionCore::write(const TextChange& change) {
    preview_.stop();
    // A program write is one step of the history, and the editor counts it as one change.
    history_.replaceRange(change.at, change.removed, change.inserted);
}

SessionCore::Entry::~Entry() {
    if (--core_.entries_ == 0) {
        try {
            if (settles_) {
                core_.checking_.settle();
            }
        } catch (const std::exception&) {
            // The timer checks later.
        }
        core_.flushNotices();
    }
}

void SessionCore::flushNotices() noexcept {
    try {
        if (notices_ != nullptr) {
            notices_->flush();
        }
    } catch (const std::exception&) {
        // What could not be shown waits for the end of the next call.
    }
}

void SessionCore::timerFired(const std::function<void()>& run) noexcept {
    try {
        const Entry entry(*this, false);
        run();
    } catch (const std::exception& failure) {
        tellFailure(failure);
    }
}

void SessionCore::answered(const std::function<void()>& run) noexcept {
    try {
        const Entry entry(*this);
        run();
    } catch (const std::exception& failure) {
        tellFailure(failure);
    }
}

void SessionCore::perform(SessionAction action, std::size_t item) {
    switch (action) {
    case SessionAction::Play:
        preview_.play(checking_.melody());
        return;
    case SessionAction::Stop:
        preview_.stop();
        return;
    case SessionAction::Undo:
        walk(true);
        return;
    case SessionAction::Redo:
        walk(false);
        return;
    case SessionAction::ToggleSoundOnClick:
        preview_.toggleSoundOnClick();
        return;
    case SessionAction::SelectAll:
        mirror_.selectAll();
        return;
    case SessionAction::Open:
        document_.open();
        return;
    case SessionAction::Save:
        document_.save(false);
        return;
    case SessionAction::SaveAs:
        document_.save(true);
        return;
    case SessionAction::OpenRecent:
        document_.openRecent(item);
        return;
    case SessionAction::CopyArduinoSketch:
        copyArduinoSketch();
        return;
    case SessionAction::PlayOnBoard:
        board_.start(playedCodes(checking_.melody()));
        return;
    case SessionAction::TransposeUp:
        transposeNotes(1);
        return;
    case SessionAction::TransposeDown:
        transposeNotes(-1);
        return;
    case SessionAction::OctaveUp:
        transposeNotes(kNotesPerOctave);
        return;
    case SessionAction::OctaveDown:
        transposeNotes(-kNotesPerOctave);
        return;
    }
}

void SessionCore::transposeNotes(int step) {
    const TextSpan selected = mirror_.selection();
    const Transposition moved = transpose(history_.view(), selected, step);
    if (moved.change) {
        write(*moved.change);
        if (selected.begin < selected.end) {
            // The same items stay selected, for the next step up or down.
            mirror_.select(moved.selection.begin, moved.selection.end);
        } else {
            // The caret stays among the same characters, as it does when the user edits.
            mirror_.placeCaret(moved.selection.begin);
        }
    }
    if (moved.stayed > 0) {
        ports_.notice.showInformation(notesStayedText(moved.stayed), u"");
    } else if (moved.moved == 0) {
        ports_.notice.showInformation(userText(UserText::NothingToTranspose), u"");
    }
}

void SessionCore::walk(bool undo) {
    if (undo ? history_.undo() : history_.redo()) {
        editor_.Text1_HistoryMoved();
    }
}

std::vector<MenuEntry> SessionCore::contextMenuEntries() const {
    std::vector<MenuEntry> entries;
    for (const ActionEntry& action : sessionActions()) {
        if (!action.menuText) {
            continue;
        }
        if (action.action == SessionAction::OpenRecent) {
            entries.push_back(document_.recentMenu());
            continue;
        }
        MenuEntry entry{};
        entry.action = action.action;
        entry.text = userText(*action.menuText);
        if (action.action == SessionAction::Stop) {
            entry.enabled = preview_.playing();
        } else if (action.action == SessionAction::PlayOnBoard) {
            entry.enabled = !board_.busy();
        } else if (action.action == SessionAction::ToggleSoundOnClick) {
            entry.checkable = true;
            entry.checked = preview_.soundOnClick();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void SessionCore::copyArduinoSketch() {
    // The codes the firmware would play: those in front of the first 0.
    if (!ports_.clipboard.setClipboardText(arduinoSketch(playedCodes(checking_.melody())))) {
        ports_.notice.showWarning(userText(UserText::ClipboardFailed), u"");
    }
}

void SessionCore::copyShareLink(std::u16string_view pageAddress) {
    std::u16string link(pageAddress.substr(0, pageAddress.find(u'#')));
    link += u'#';
    for (const char c : shareFragment(mirror_.text())) {
        link += static_cast<char16_t>(c);
    }
    if (!ports_.clipboard.setClipboardText(link)) {
        ports_.notice.showWarning(userText(UserText::ClipboardFailed), u"");
    }
}

bool SessionCore::openShared(std::string_view fragment) {
    if (!isShareFragment(fragment)) {
        return false;
    }
    const std::optional<std::u16string> text = sharedMelody(fragment);
    if (!text) {
        ports_.notice.showWarning(userText(UserText::ShareLinkBroken), u"");
        return false;
    }
    document_.openAsNew(*text);
    return true;
}

void SessionCore::tellFailure(const std::exception& failure) noexcept {
    const bool memory = dynamic_cast<const std::bad_alloc*>(&failure) != nullptr;
    try {
        ports_.notice.showWarning(userText(UserText::StepFailed),
                                  memory ? userText(UserText::OutOfMemory) : u"");
    } catch (const std::exception&) {
        // Nothing more can be told; the window goes on.
    }
    // Told after the call has ended, or from an answer that came later.
    if (entries_ == 0) {
        flushNotices();
    }
}

} // namespace quillon
