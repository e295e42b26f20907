#include "SessionCore.h"

#include "quillon/FindingMarks.h"
#include "quillon/MusicCode.h"

#include <chrono>
#include <exception>
#include <string>

namespace quillon {
namespace {

using namespace std::chrono_literals;

// Reading a long melody takes milliseconds: check once the clicking or typing pauses.
constexpr auto kCheckDelay = 100ms;
// How often the light follows what is being heard.
constexpr auto kFollowInterval = 15ms;

std::u16string soundDetail(SoundProblem problem, const std::string& detail) {
    std::u16string text(soundProblemText(problem));
    if (!detail.empty()) {
        // What the sound library said is ASCII or UTF-8; the user sees it as it came.
        text += u"（";
        for (std::size_t i = 0; i < detail.size();) {
            const auto byte = static_cast<unsigned char>(detail[i]);
            char32_t ch = byte;
            std::size_t length = 1;
            if (byte >= 0xf0 && i + 3 < detail.size()) {
                ch = byte & 0x07u;
                length = 4;
            } else if (byte >= 0xe0 && i + 2 < detail.size()) {
                ch = byte & 0x0fu;
                length = 3;
            } else if (byte >= 0xc0 && i + 1 < detail.size()) {
                ch = byte & 0x1fu;
                length = 2;
            }
            for (std::size_t k = 1; k < length; ++k) {
                ch = (ch << 6) | (static_cast<unsigned char>(detail[i + k]) & 0x3fu);
            }
            i += length;
            if (ch >= 0x10000) {
                ch -= 0x10000;
                text += static_cast<char16_t>(0xd800 + (ch >> 10));
                text += static_cast<char16_t>(0xdc00 + (ch & 0x3ff));
            } else {
                text += static_cast<char16_t>(ch);
            }
        }
        text += u"）";
    }
    return text;
}

} // namespace

SessionCore::SessionCore(SessionPorts ports)
    : ports_(ports), history_(ports.text1), editor_(history_, ports.label3),
      preview_(ports.sound) {
    checkTimer_ = ports_.timers.makeTimer([this] {
        try {
            check();
        } catch (...) {
            // A check that cannot finish leaves the marks as they were.
        }
    });
    followTimer_ = ports_.timers.makeTimer([this] {
        try {
            follow();
        } catch (...) {
            stopPlaying();
        }
    });
}

void SessionCore::load() {
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
        editor_.Clear();
        return;
    case CommandKind::About:
        ports_.notice.showAbout(userText(UserText::AboutApplication),
                                userText(UserText::AboutExtra));
        return;
    }
}

void SessionCore::textChanged() {
    if (history_.walking()) {
        // Undo and redo are not changes: nothing is counted.
        textMoved();
        return;
    }
    if (history_.writing()) {
        editor_.Text1_Change();
        textMoved();
        return;
    }
    if (!history_.userEdited()) {
        return;
    }
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
    checked_ = false;
    if (melodyPlaying_) {
        stopPlaying();
    }
    checkTimer_->start(kCheckDelay);
}

std::optional<SessionAction> SessionCore::actionForKey(const KeyPress& key, bool inText1) const {
    if (key.alt) {
        return std::nullopt;
    }
    if (!key.ctrl && !key.shift) {
        if (key.key == Key::F5) {
            return SessionAction::Play;
        }
        if (key.key == Key::Escape) {
            return SessionAction::Stop;
        }
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

void SessionCore::perform(SessionAction action) {
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
        ports_.text1.selectAll();
        return;
    }
}

void SessionCore::walk(bool undo) {
    if (undo ? history_.undo() : history_.redo()) {
        editor_.Text1_HistoryMoved();
    }
}

std::vector<MenuEntry> SessionCore::contextMenuEntries() const {
    return {
        {SessionAction::Play, userText(UserText::PlayMenu), true, false, false},
        {SessionAction::Stop, userText(UserText::StopMenu), melodyPlaying_, false, false},
        {SessionAction::ToggleSoundOnClick, userText(UserText::SoundOnClickMenu), true, true,
         soundOnClick_},
    };
}

void SessionCore::check() {
    checkTimer_->stop();
    const std::u16string text = history_.text();
    history_.takeFirstChange();
    melody_ = readMelody(text);
    checked_ = true;
    const std::vector<TextMark> marks = marksFor(melody_.findings, text);
    ports_.marks.setMarks(marks);
}

void SessionCore::play() {
    stopPlaying();
    if (!checked_) {
        check();
    }
    try {
        if (preview_.playMelody(melody_) != MelodyPreview::Outcome::Started) {
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
        ports_.marks.setHeard(std::nullopt);
        ports_.notice.showWarning(userText(UserText::NoSound),
                                  soundDetail(progress.problem, progress.detail));
        return;
    }
    ports_.marks.setHeard(progress.heard);
    if (progress.playing) {
        followTimer_->start(kFollowInterval);
    } else {
        melodyPlaying_ = false;
        ports_.marks.setHeard(std::nullopt);
    }
}

void SessionCore::stopPlaying() {
    preview_.stop();
    followTimer_->stop();
    if (melodyPlaying_) {
        melodyPlaying_ = false;
    }
    ports_.marks.setHeard(std::nullopt);
}

void SessionCore::soundClickedNote(MusicCode code) {
    if (soundOnClick_) {
        melodyPlaying_ = false;
        followTimer_->stop();
        preview_.soundNote(code);
    }
}

std::u16string SessionCore::tipAt(std::size_t index) const {
    // Several findings may stand on one place (an element after the end that has no pitch):
    // each says its own, one line apiece.
    std::u16string tip;
    for (const Finding& finding : melody_.findings) {
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
