#include "SessionCore.h"

#include "quillon/ArduinoSketch.h"
#include "quillon/ComposerText.h"
#include "quillon/FileCalls.h"
#include "quillon/FindingMarks.h"
#include "quillon/ImportTune.h"
#include "quillon/LocalTime.h"
#include "quillon/MelodyFile.h"
#include "quillon/MusicCode.h"
#include "quillon/TextCodec.h"
#include "quillon/Transpose.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <new>
#include <span>
#include <string>
#include <variant>

namespace quillon {
namespace {

using namespace std::chrono_literals;

// Reading a long melody from its start takes milliseconds: after a change far from the end,
// check once the clicking or typing pauses.
constexpr auto kCheckDelay = 100ms;
// Within this many code units of the end a change is checked at once.
constexpr std::size_t kNearTheEnd = 4096;
// How often the light follows what is being heard.
constexpr auto kFollowInterval = 15ms;
// An octave up or down: seven naturals, seven note indexes.
constexpr int kNotesPerOctave = 7;

std::u16string soundDetail(SoundProblem problem, SoundCause cause, const std::string& detail) {
    std::u16string text(soundProblemText(problem));
    text += soundCauseText(cause);
    if (!detail.empty()) {
        // What the sound library said is ASCII or UTF-8; the user sees it as it came.
        text += u"（";
        text += decodeUtf8Lenient(detail);
        text += u"）";
    }
    return text;
}

} // namespace

SessionCore::SessionCore(SessionPorts ports, MelodyKeeping keeping)
    : ports_(ports), mirror_(ports.text1, ports.marks), history_(mirror_),
      editor_(history_, ports.label3), preview_(ports.sound), caption_(kForm1.caption),
      board_(ports.timers, ports.notice, ports.files) {
    history_.changed = [this] { written(); };
    if (keeping.on) {
        std::optional<MelodyArchive> archive;
        if (keeping.folder) {
            archive.emplace(*keeping.folder);
        }
        keeper_ = std::make_unique<MelodyKeeper>(
            std::move(archive), ports_.timers, ports_.notice,
            KeptText{[this] { return history_.view(); },
                     [this] { return history_.takeEarliestChange(TextHistory::Reader::Keeper); }});
    }
    // Beside the kept melodies' folder: the board kind asked once is remembered across runs.
    if (keeping.on && keeping.folder) {
        board_.setMemoryFile(keeping.folder->parent_path() / "board-kind.txt");
    }
    checkTimer_ = ports_.timers.makeTimer([this] {
        try {
            check();
        } catch (const std::exception&) {
            // A check that cannot finish leaves the marks as they were; the next change checks
            // again.
        }
    });
    followTimer_ = ports_.timers.makeTimer([this] {
        try {
            follow();
        } catch (const std::exception&) {
            // The light cannot follow: the play ends rather than run on unseen.
            stopPlaying();
        }
    });
}

SessionCore::~SessionCore() {
    try {
        if (keeper_) {
            keeper_->flush();
        }
    } catch (const std::exception&) {
        // The window is going: there is no one left to tell. The kept melody is as it was
        // last written, at most half a second old.
    }
}

void SessionCore::load() {
    beginMelody();
    editor_.ResetMusicText();
    // The start-up text is where the user begins; undo does not go behind it.
    editor_.StartHistory();
    checkTimer_->stop();
    check();
    // Connecting takes a moment: start now rather than at the first note.
    ports_.sound.connect();
}

void SessionCore::run(const Command& command) {
    switch (command.kind) {
    case CommandKind::None:
        return;
    case CommandKind::Note:
        editor_.AppendCodeItem(codeItem(command.code));
        soundClickedNote(command.code);
        return;
    case CommandKind::Extend:
        editor_.ExtendLastCode();
        return;
    case CommandKind::Rest:
        editor_.AppendCodeItem(kRestItem);
        // A rest sounds as silence: it cuts off the note before.
        soundClickedNote(0xf8);
        return;
    case CommandKind::LineBreak:
        editor_.AppendLineBreak();
        return;
    case CommandKind::End:
        editor_.AppendTerminator();
        return;
    case CommandKind::Clear:
        // A new melody, which has no file of its own yet: saving it will not overwrite the
        // file of the one before.
        beginMelody();
        file_.reset();
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
    if (keeper_) {
        keeper_->changed();
    }
    showCaption();
    checked_ = false;
    if (melodyPlaying_) {
        stopPlaying();
    }
}

SessionCore::Entry::~Entry() {
    if (--core_.entries_ == 0) {
        try {
            if (settles_) {
                core_.settle();
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

void SessionCore::settle() {
    const std::size_t earliest = history_.earliestChange();
    if (checked_ || earliest == static_cast<std::size_t>(-1)) {
        return;
    }
    const std::size_t length = history_.view().size();
    if (earliest + kNearTheEnd >= length) {
        check();
    } else {
        checkTimer_->start(kCheckDelay);
    }
}

std::optional<SessionAction> SessionCore::actionForKey(const KeyPress& key, bool inText1) const {
    if (key.alt) {
        if (!inText1 || key.ctrl || (key.key != Key::Up && key.key != Key::Down)) {
            return std::nullopt;
        }
        if (key.key == Key::Up) {
            return key.shift ? SessionAction::OctaveUp : SessionAction::TransposeUp;
        }
        return key.shift ? SessionAction::OctaveDown : SessionAction::TransposeDown;
    }
    if (!key.ctrl && !key.shift) {
        if (key.key == Key::F5) {
            return SessionAction::Play;
        }
        if (key.key == Key::F6) {
            return SessionAction::PlayOnBoard;
        }
        if (key.key == Key::Escape) {
            return SessionAction::Stop;
        }
    }
    if (key.ctrl && key.key == Key::S) {
        return key.shift ? SessionAction::SaveAs : SessionAction::Save;
    }
    if (key.ctrl && !key.shift && key.key == Key::O) {
        return SessionAction::Open;
    }
    if (!inText1 || !key.ctrl) {
        return std::nullopt;
    }
    switch (key.key) {
    case Key::Z:
        return key.shift ? SessionAction::Redo : SessionAction::Undo;
    case Key::Y:
        return key.shift ? std::nullopt : std::optional(SessionAction::Redo);
    case Key::A:
        return key.shift ? std::nullopt : std::optional(SessionAction::SelectAll);
    default:
        return std::nullopt;
    }
}

void SessionCore::perform(SessionAction action, std::size_t item) {
    switch (action) {
    case SessionAction::Play:
        play();
        return;
    case SessionAction::Stop:
        stopPlaying();
        return;
    case SessionAction::Undo:
        walk(true);
        return;
    case SessionAction::Redo:
        walk(false);
        return;
    case SessionAction::ToggleSoundOnClick:
        soundOnClick_ = !soundOnClick_;
        if (!soundOnClick_ && !melodyPlaying_) {
            preview_.stop();
        }
        return;
    case SessionAction::SelectAll:
        mirror_.selectAll();
        return;
    case SessionAction::Open:
        open();
        return;
    case SessionAction::Save:
        save(false);
        return;
    case SessionAction::SaveAs:
        save(true);
        return;
    case SessionAction::OpenRecent:
        openRecent(item);
        return;
    case SessionAction::CopyArduinoSketch:
        copyArduinoSketch();
        return;
    case SessionAction::PlayOnBoard:
        playOnBoard();
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
    const auto entry = [](SessionAction action, std::u16string_view text, bool enabled = true) {
        MenuEntry made{};
        made.action = action;
        made.text = text;
        made.enabled = enabled;
        return made;
    };
    MenuEntry recent = entry(SessionAction::OpenRecent, userText(UserText::RecentMenu));
    listedRecent_.clear();
    if (keeper_) {
        for (const KeptMelody& melody : keeper_->recent()) {
            recent.submenu.push_back(entry(SessionAction::OpenRecent, melody.menuText));
            recent.submenu.back().item = listedRecent_.size();
            listedRecent_.push_back(melody.path);
        }
    }
    if (recent.submenu.empty()) {
        recent.submenu.push_back(
            entry(SessionAction::OpenRecent, userText(UserText::NoRecentMelodies), false));
    }
    MenuEntry soundOnClick =
        entry(SessionAction::ToggleSoundOnClick, userText(UserText::SoundOnClickMenu));
    soundOnClick.checkable = true;
    soundOnClick.checked = soundOnClick_;
    std::vector<MenuEntry> entries;
    entries.push_back(entry(SessionAction::Play, userText(UserText::PlayMenu)));
    entries.push_back(entry(SessionAction::Stop, userText(UserText::StopMenu), melodyPlaying_));
    entries.push_back(std::move(soundOnClick));
    entries.push_back(entry(SessionAction::Open, userText(UserText::OpenMenu)));
    entries.push_back(entry(SessionAction::Save, userText(UserText::SaveMenu)));
    entries.push_back(entry(SessionAction::SaveAs, userText(UserText::SaveAsMenu)));
    entries.push_back(entry(SessionAction::TransposeUp, userText(UserText::TransposeUpMenu)));
    entries.push_back(entry(SessionAction::TransposeDown, userText(UserText::TransposeDownMenu)));
    entries.push_back(entry(SessionAction::OctaveUp, userText(UserText::OctaveUpMenu)));
    entries.push_back(entry(SessionAction::OctaveDown, userText(UserText::OctaveDownMenu)));
    entries.push_back(
        entry(SessionAction::PlayOnBoard, userText(UserText::PlayOnBoardMenu), !board_.busy()));
    entries.push_back(
        entry(SessionAction::CopyArduinoSketch, userText(UserText::CopyArduinoSketchMenu)));
    entries.push_back(std::move(recent));
    return entries;
}

void SessionCore::queryUnload(const std::function<void(bool mayClose)>& answer) {
    if (closeAsked_) {
        return;
    }
    if (keeper_) {
        keeper_->flush();
    }
    // A melody without a file is kept anyway.
    if (!file_ || history_.view() == savedText_) {
        answer(true);
        return;
    }
    const std::u16string question = saveChangesQuestion(fileDisplayName(*file_));
    closeAsked_ = true;
    const auto chosen = [this, life = std::weak_ptr<int>(life_), answer](CloseAnswer reply) {
        if (life.expired()) {
            return;
        }
        closeAsked_ = false;
        answered([&] {
            switch (reply) {
            case CloseAnswer::Save:
                try {
                    // The window closes only once the file is written.
                    save(false, answer);
                } catch (...) {
                    // Whatever failed, the window may close: the melody is kept.
                    answer(true);
                    throw;
                }
                return;
            case CloseAnswer::DontSave:
                answer(true);
                return;
            case CloseAnswer::Cancel:
                answer(false);
                return;
            }
        });
    };
    try {
        ports_.files.askSaveChanges({question, userText(UserText::SaveButton),
                                     userText(UserText::DontSaveButton),
                                     userText(UserText::CancelButton)},
                                    chosen);
    } catch (...) {
        closeAsked_ = false;
        throw;
    }
}

void SessionCore::beginMelody() {
    if (keeper_) {
        keeper_->begin(localTimeNow());
    }
}

void SessionCore::open() {
    ports_.files.askOpenPath(
        userText(UserText::OpenTitle), openFileFilters(),
        file_ ? file_->parent_path() : std::filesystem::path(),
        [this, life = std::weak_ptr<int>(life_)](std::optional<std::filesystem::path> chosen) {
            if (chosen && !life.expired()) {
                answered([&] { openFile(*chosen); });
            }
        });
}

void SessionCore::openFile(const std::filesystem::path& chosen) {
    if (bringInTune(chosen)) {
        return;
    }
    OpenedMelody opened = readMelodyFile(chosen);
    if (opened.problem) {
        warn(*opened.problem);
        return;
    }
    beginMelody();
    file_ = chosen;
    savedText_ = std::move(opened.text);
    putText(savedText_);
}

bool SessionCore::bringInTune(const std::filesystem::path& path) {
    std::string bytes;
    if (readFileUpTo(path, kLargestMelodyFile, bytes) || bytes.size() > kLargestMelodyFile) {
        // Opening it as text says what is wrong with it.
        return false;
    }
    // A MIDI file by its content; RTTTL by its name, a .txt only when it holds no array (RTTTL
    // never has a brace, C source with a comment may have colons as RTTTL does).
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    const bool midi = bytes.starts_with("MThd") || extension == ".mid" || extension == ".midi";
    const bool text = extension == ".txt" && !midi;
    if (!midi && extension != ".rtttl" && (!text || bytes.find('{') != std::string::npos)) {
        return false;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const CandidatesResult listed = listTunes(std::span(data, bytes.size()));
    if (const ImportError* error = std::get_if<ImportError>(&listed)) {
        if (text && (*error == ImportError::NotATune || *error == ImportError::Empty)) {
            return false;
        }
        ports_.notice.showWarning(userText(UserText::TuneNotImported),
                                  std::u16string(importErrorText(*error)) + u"\n" +
                                      fileDisplayName(path));
        return true;
    }
    const TuneCandidates& candidates = std::get<TuneCandidates>(listed);
    if (candidates.list.size() == 1) {
        takeTune(path, bytes, std::nullopt);
        return true;
    }
    std::vector<std::u16string> rows;
    for (std::size_t i = 0; i < candidates.list.size(); ++i) {
        rows.push_back(tuneChoiceRow(candidates.list[i], i + 1, i == candidates.defaultIndex));
    }
    const TuneQuestion question{userText(UserText::TuneChoiceTitle),
                                userText(UserText::TuneChoicePrompt),
                                rows,
                                candidates.defaultIndex,
                                userText(UserText::TakeTuneButton),
                                userText(UserText::CancelButton)};
    // The bytes go with the answer: the file may change before it comes.
    ports_.files.askTuneChoice(question,
                               [this, life = std::weak_ptr<int>(life_), path,
                                kept = std::move(bytes)](std::optional<std::size_t> chosen) {
                                   if (chosen && !life.expired()) {
                                       answered([&] { takeTune(path, kept, *chosen); });
                                   }
                               });
    return true;
}

void SessionCore::takeTune(const std::filesystem::path& path, const std::string& bytes,
                           std::optional<std::size_t> index) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::span<const std::uint8_t> span(data, bytes.size());
    const ImportResult result = index ? importTune(span, *index) : importTune(span);
    if (const ImportError* error = std::get_if<ImportError>(&result)) {
        ports_.notice.showWarning(userText(UserText::TuneNotImported),
                                  std::u16string(importErrorText(*error)) + u"\n" +
                                      fileDisplayName(path));
        return;
    }
    const ImportedTune& tune = std::get<ImportedTune>(result);
    // A new melody without a file: saving must never write C over the tune it came from.
    beginMelody();
    file_.reset();
    savedText_.clear();
    write(importChange(history_.view(), tune.codes));
    mirror_.placeCaret(history_.view().size());
    showCaption();
    if (!tune.report.empty()) {
        ports_.notice.showInformation(userText(UserText::TuneChanged),
                                      importReportText(tune.report));
    }
}

void SessionCore::openRecent(std::size_t item) {
    if (item >= listedRecent_.size()) {
        return;
    }
    const OpenedMelody opened = readMelodyFile(listedRecent_[item]);
    if (opened.problem) {
        warn(*opened.problem);
        return;
    }
    putText(opened.text);
}

void SessionCore::save(bool askForName, std::function<void(bool saved)> done) {
    if (!askForName && file_) {
        const bool saved = saveTo(*file_);
        if (done) {
            done(saved);
        }
        return;
    }
    ports_.files.askSavePath(userText(UserText::SaveAsTitle), melodyFileFilters(),
                             file_.value_or(std::filesystem::path()),
                             [this, life = std::weak_ptr<int>(life_),
                              done = std::move(done)](std::optional<std::filesystem::path> target) {
                                 if (life.expired()) {
                                     return;
                                 }
                                 // The text as it is when the user has chosen the file is what is
                                 // saved.
                                 answered([&] {
                                     const bool saved = target && saveTo(*target);
                                     if (done) {
                                         done(saved);
                                     }
                                 });
                             });
}

bool SessionCore::saveTo(const std::filesystem::path& target) {
    std::u16string text = history_.text();
    if (const std::optional<FileProblem> problem = writeMelodyFile(target, text)) {
        warn(*problem);
        return false;
    }
    file_ = target;
    savedText_ = std::move(text);
    showCaption();
    return true;
}

void SessionCore::putText(std::u16string_view text) {
    write(changeBetween(history_.view(), text));
    mirror_.placeCaret(history_.view().size());
}

void SessionCore::write(const TextChange& change) {
    stopPlaying();
    // A program write is one step of the history, and the editor counts it as one change.
    history_.replaceRange(change.at, change.removed, change.inserted);
}

void SessionCore::showCaption() {
    std::u16string caption = windowCaption(file_, file_ && history_.view() != savedText_);
    if (caption != caption_) {
        caption_ = std::move(caption);
        ports_.form1.setCaption(caption_);
    }
}

void SessionCore::warn(const FileProblem& problem) {
    ports_.notice.showWarning(fileProblemText(problem.kind), problemDetail(problem));
}

void SessionCore::check() {
    checkTimer_->stop();
    const std::u16string_view text = history_.view();
    // The history knows where the text changed: the check need not compare it again.
    const Melody& melody = checker_.read(text, history_.takeEarliestChange());
    checked_ = true;
    mirror_.setMarks(marksFor(melody.findings, text));
}

void SessionCore::copyArduinoSketch() {
    if (!checked_) {
        check();
    }
    // The codes the firmware would play: those in front of the first 0.
    if (!ports_.clipboard.setClipboardText(arduinoSketch(playedCodes(checker_.melody())))) {
        ports_.notice.showWarning(userText(UserText::ClipboardFailed), u"");
    }
}

void SessionCore::playOnBoard() {
    if (!checked_) {
        check();
    }
    board_.start(playedCodes(checker_.melody()));
}

void SessionCore::play() {
    stopPlaying();
    if (!checked_) {
        check();
    }
    try {
        if (preview_.playMelody(checker_.melody()) != MelodyPreview::Outcome::Started) {
            return;
        }
    } catch (const std::exception&) {
        // Nothing may end the program on F5: the text stays and the user is told.
        preview_.stop();
        ports_.notice.showWarning(userText(UserText::PlayFailed), u"");
        return;
    }
    melodyPlaying_ = true;
    follow();
}

void SessionCore::follow() {
    if (!melodyPlaying_) {
        return;
    }
    const MelodyPreview::Progress progress = preview_.poll();
    if (progress.problem != SoundProblem::None) {
        melodyPlaying_ = false;
        followTimer_->stop();
        mirror_.setHeard(std::nullopt);
        ports_.notice.showWarning(userText(UserText::NoSound),
                                  soundDetail(progress.problem, progress.cause, progress.detail));
        return;
    }
    mirror_.setHeard(progress.heard);
    if (progress.playing) {
        followTimer_->start(kFollowInterval);
    } else {
        melodyPlaying_ = false;
        mirror_.setHeard(std::nullopt);
    }
}

void SessionCore::stopPlaying() {
    preview_.stop();
    followTimer_->stop();
    if (melodyPlaying_) {
        melodyPlaying_ = false;
    }
    mirror_.setHeard(std::nullopt);
}

void SessionCore::soundClickedNote(MusicCode code) {
    if (soundOnClick_) {
        melodyPlaying_ = false;
        followTimer_->stop();
        preview_.soundNote(code);
    }
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

std::u16string SessionCore::tipAt(std::size_t controlOffset) const {
    const std::size_t index = mirror_.textIndex(controlOffset);
    // Several findings may stand on one place (an element after the end that has no pitch):
    // each says its own, one line apiece.
    std::u16string tip;
    for (const Finding& finding : checker_.melody().findings) {
        if (finding.begin > index) {
            continue;
        }
        if (index < finding.end || (index == finding.end && finding.end > finding.begin)) {
            const std::u16string_view line = findingText(finding.kind);
            if (tip.find(line) == std::u16string::npos) {
                if (!tip.empty()) {
                    tip += u'\n';
                }
                tip += line;
            }
        }
    }
    return tip;
}

} // namespace quillon
