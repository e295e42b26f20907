#pragma once

#include "FakeCaption.h"
#include "FakeSoundSink.h"
#include "quillon/ComposerSession.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace quillon::test {

// Text1's control as a window's behaves for the session: it holds its text with CR LF (as
// Windows' edit control does) or with one unit a break (as Qt's document does), carries out the
// session's writes, keeping caret and selection on their characters, and reports every edit of
// the user's at once with where it was, or (reportsWhole) only that the text changed.
class FakeTextControl : public TextControl {
public:
    // The control reports the user's edit: `removed` units at `from` became `inserted`; or,
    // without a place, that its text changed.
    std::function<void(std::size_t, std::size_t, std::u16string_view, std::size_t)> onEdit;
    std::function<void()> onChanged;
    LineBreak breaks = LineBreak::CrLf;
    bool reportsWhole = false;
    std::size_t caretAt = 0;
    // Where the selection starts; the caret ends it. Equal to the caret: nothing selected.
    std::size_t anchor = 0;
    bool allSelected = false;
    int writes = 0;
    // Every write refuses, as a control out of memory would; or only the write this many
    // writes from now (1: the next).
    bool refuses = false;
    int refusesWrite = 0;

    LineBreak lineBreak() const noexcept override { return breaks; }
    std::u16string controlText() const override { return text_; }

    void replace(std::size_t from, std::size_t to, std::u16string_view text) override {
        if (refuses || (refusesWrite > 0 && --refusesWrite == 0)) {
            throw std::bad_alloc();
        }
        ++writes;
        text_.replace(from, to - from, text);
        allSelected = false;
        const auto moved = [&](std::size_t at) {
            if (at < from) {
                return at;
            }
            return at <= to ? from + text.size() : at - (to - from) + text.size();
        };
        anchor = moved(anchor);
        caretAt = moved(caretAt);
        // A control reports every change of its text, the session's writes too.
        report(from, to - from, text);
    }

    std::size_t caret() const noexcept override { return caretAt; }
    void selectAll() override {
        allSelected = true;
        anchor = 0;
        caretAt = text_.size();
    }
    TextSpan selection() const noexcept override {
        return {std::min(anchor, caretAt), std::max(anchor, caretAt)};
    }
    void select(std::size_t begin, std::size_t end) noexcept override {
        anchor = begin;
        caretAt = end;
    }

    // The text, every line break CR LF, whichever way the control holds it.
    std::u16string text() const {
        if (breaks == LineBreak::CrLf) {
            return text_;
        }
        std::u16string out;
        for (const char16_t ch : text_) {
            out += ch == u'\n' ? std::u16string_view(u"\r\n") : std::u16string_view(&ch, 1);
        }
        return out;
    }
    // The control's own text.
    const std::u16string& held() const { return text_; }

    // The user's edit at `at` (the control's offset): `removed` units go, `typed` comes.
    void type(std::size_t at, std::u16string_view typed, std::size_t removed = 0) {
        text_.replace(at, removed, typed);
        anchor = caretAt = at + typed.size();
        report(at, removed, typed);
    }
    // Typing at the end, one keystroke per character.
    void typeAtEnd(std::u16string_view typed) {
        for (const char16_t ch : typed) {
            type(text_.size(), std::u16string(1, ch));
        }
    }

private:
    void report(std::size_t from, std::size_t removed, std::u16string_view inserted) {
        if (reportsWhole) {
            if (onChanged) {
                onChanged();
            }
        } else if (onEdit) {
            onEdit(from, removed, inserted, text_.size());
        }
    }
    std::u16string text_;
};

class FakeMarks : public TextMarks {
public:
    std::optional<TextSpan> heard;
    // What the session said to paint again, in order.
    std::vector<std::pair<std::size_t, std::size_t>> repaints;

    void marksChanged(std::size_t from, std::size_t to) override {
        repaints.emplace_back(from, to);
    }
    void setHeard(std::optional<TextSpan> element) override { heard = element; }
};

class FakeNotice : public Notice {
public:
    struct Shown {
        std::u16string text;
        std::u16string detail;
    };
    std::vector<Shown> warnings;
    // Runs inside each box, as a box's own loop runs what comes meanwhile.
    std::function<void()> whileShown;
    // How many boxes were open at once, at most.
    int showing = 0;
    int mostShownAtOnce = 0;
    int abouts = 0;
    std::u16string aboutApplication;
    std::u16string aboutExtra;
    // The About box cannot be made, as when memory runs out.
    bool aboutFails = false;

    void showWarning(std::u16string_view text, std::u16string_view detail) override {
        warnings.push_back({std::u16string(text), std::u16string(detail)});
        mostShownAtOnce = std::max(mostShownAtOnce, ++showing);
        if (whileShown) {
            whileShown();
        }
        --showing;
    }
    void showAbout(std::u16string_view applicationText, std::u16string_view extraText) override {
        if (aboutFails) {
            throw std::bad_alloc();
        }
        ++abouts;
        aboutApplication = applicationText;
        aboutExtra = extraText;
    }
};

// The system clipboard; `refuses` plays another program holding it open.
class FakeClipboard : public Clipboard {
public:
    std::u16string text;
    bool refuses = false;

    bool setClipboardText(std::u16string_view written) override {
        if (refuses) {
            return false;
        }
        text = written;
        return true;
    }
};

// Timers on a clock the test moves.
class FakeTimers : public TimerFactory {
public:
    std::int64_t now = 0;

    std::unique_ptr<OneShotTimer> makeTimer(std::function<void()> onTimeout) override {
        auto timer = std::make_unique<Timer>(*this, std::move(onTimeout));
        timers_.push_back(timer.get());
        return timer;
    }

    // Moves the clock on by `millis`, firing every timer that falls due on the way, in order.
    void advance(std::int64_t millis) {
        const std::int64_t until = now + millis;
        for (;;) {
            Timer* next = nullptr;
            for (Timer* timer : timers_) {
                if (timer->due >= 0 && timer->due <= until && (!next || timer->due < next->due)) {
                    next = timer;
                }
            }
            if (next == nullptr) {
                break;
            }
            now = next->due;
            next->due = -1;
            next->onTimeout();
        }
        now = until;
    }

private:
    struct Timer : OneShotTimer {
        Timer(FakeTimers& owner, std::function<void()> callback)
            : owner_(owner), onTimeout(std::move(callback)) {}
        ~Timer() override {
            auto& all = owner_.timers_;
            all.erase(std::remove(all.begin(), all.end(), this), all.end());
        }
        void start(std::chrono::milliseconds after) override { due = owner_.now + after.count(); }
        void stop() override { due = -1; }
        bool active() const override { return due >= 0; }

        FakeTimers& owner_;
        std::function<void()> onTimeout;
        std::int64_t due = -1;
    };
    std::vector<Timer*> timers_;
};

// The file dialogs as a user answers them: with the paths and answer the test sets, at once;
// or, with answerLater, kept for the test to call once the session's call has returned.
class FakeFileDialogs : public FileDialogs {
public:
    std::optional<std::filesystem::path> openAnswer;
    std::optional<std::filesystem::path> saveAnswer;
    CloseAnswer closeAnswer = CloseAnswer::Cancel;
    int opens = 0;
    int saves = 0;
    std::vector<std::u16string> questions;
    bool answerLater = false;
    PathAnswer pendingOpen;
    PathAnswer pendingSave;
    SaveChangesAnswer pendingClose;

    void askOpenPath(std::u16string_view, std::span<const FileFilter>, const std::filesystem::path&,
                     PathAnswer answer) override {
        ++opens;
        giveOrKeep(answer, pendingOpen, openAnswer);
    }
    void askSavePath(std::u16string_view, std::span<const FileFilter>, const std::filesystem::path&,
                     PathAnswer answer) override {
        ++saves;
        giveOrKeep(answer, pendingSave, saveAnswer);
    }
    void askSaveChanges(const CloseQuestion& question, SaveChangesAnswer answer) override {
        questions.emplace_back(question.question);
        giveOrKeep(answer, pendingClose, closeAnswer);
    }

    // The rows and default row of every tune question; answered with tuneAnswer at once, or
    // with answerTuneLater kept in pendingTuneAnswer for the test to call.
    std::vector<std::vector<std::u16string>> tuneRows;
    std::vector<std::size_t> tuneDefaults;
    std::optional<std::size_t> tuneAnswer;
    bool answerTuneLater = false;
    TuneAnswer pendingTuneAnswer;

    void askTuneChoice(const TuneQuestion& question, TuneAnswer answer) override {
        tuneRows.emplace_back(question.rows.begin(), question.rows.end());
        tuneDefaults.push_back(question.defaultRow);
        if (answerTuneLater) {
            pendingTuneAnswer = std::move(answer);
        } else {
            answer(tuneAnswer);
        }
    }

private:
    template <typename Answer, typename Value>
    void giveOrKeep(Answer& answer, Answer& pending, const Value& value) {
        if (answerLater) {
            pending = std::move(answer);
        } else {
            answer(value);
        }
    }
};

inline const std::u16string kHeaderLine = u"const unsigned char music_item[] = {\r\n";

// A session over fake controls, loaded as a window loads it.
struct SessionHarness {
    FakeTextControl text1;
    FakeMarks marks;
    FakeCaption label3;
    FakeNotice notice;
    FakeTimers timers;
    FakeSoundSink sound;
    FakeFileDialogs files;
    // The window's caption, which the window sets before the session runs.
    FakeCaption form1;
    FakeClipboard clipboard;
    ComposerSession session;

    explicit SessionHarness(MelodyKeeping keeping = {})
        : session({text1, marks, label3, notice, timers, sound, files, form1, clipboard},
                  std::move(keeping)) {
        form1.caption = kForm1.caption;
        text1.onEdit = [this](std::size_t from, std::size_t removed, std::u16string_view inserted,
                              std::size_t lengthAfter) {
            session.Text1_Change(from, removed, inserted, lengthAfter);
        };
        text1.onChanged = [this] { session.Text1_Change(); };
        session.Form_Load();
    }

    // A click on the control of the form table named `name`.
    void click(std::string_view name) {
        const ControlDesign* control = findControl(name);
        if (control == nullptr) {
            throw std::logic_error("no control " + std::string(name));
        }
        session.run(control->command);
    }
    void clicks(std::string_view name, int times) {
        for (int i = 0; i < times; ++i) {
            click(name);
        }
    }

    // A key pressed with the focus in Text1 (or elsewhere); false when the session ignores it.
    bool key(Key k, bool ctrl = false, bool shift = false, bool inText1 = true) {
        const auto action = session.actionForKey({k, ctrl, shift, false}, inText1);
        if (action) {
            session.perform(*action);
        }
        return action.has_value();
    }
    void undo() { key(Key::Z, true); }
    void redo() { key(Key::Z, true, true); }

    // The underlines over the whole text, in the control's offsets.
    std::vector<TextMark> allMarks() const {
        return session.Text1_MarksWithin(0, text1.held().size() + 1);
    }
    // The text the underlines cover, one string per mark, with the style.
    std::vector<std::pair<std::u16string, MarkStyle>> underlined() const {
        std::vector<std::pair<std::u16string, MarkStyle>> out;
        const std::u16string& text = text1.held();
        for (const TextMark& mark : allMarks()) {
            out.emplace_back(text.substr(mark.begin, mark.end - mark.begin), mark.style);
        }
        return out;
    }
    std::u16string heardText() const {
        if (!marks.heard) {
            return {};
        }
        return text1.held().substr(marks.heard->begin, marks.heard->end - marks.heard->begin);
    }
};

// The count as Label3 shows it: a blank, then the digits.
inline std::u16string countCaption(int count) {
    const std::string digits = std::to_string(count);
    return u" " + std::u16string(digits.begin(), digits.end());
}

// `count` items, broken after every 16th as the automatic break does with notes alone.
inline std::u16string items(std::u16string_view item, int count) {
    std::u16string out;
    for (int i = 1; i <= count; ++i) {
        out += item;
        out += u',';
        if (i % 16 == 0) {
            out += u"\r\n";
        }
    }
    return out;
}

} // namespace quillon::test
