#pragma once

#include "quillon/TextBox.h"
#include "quillon/TextMirror.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Text1 with the composer's own undo history in front of it, the same for every window: no
// native control gives these rules. Each program write is one step (the automatic break that a
// write brings joins it); the user's edits are steps of their own, typing grouped as it goes on;
// the automatic break that typing brings is a step of its own. A step keeps only what it
// changed, so a long melody costs no more per step than a short one.
//
// The history writes through the text mirror, reads its text (no call into the window) and
// learns of the user's edits through userEdited().
class TextHistory final : public UndoableText {
public:
    explicit TextHistory(TextMirror& mirror);

    // Called once for every write and every step walked, inside it, after the text changed:
    // a nested write from inside joins the write's step.
    std::function<void()> changed;

    std::u16string text() const override;
    // The text without a copy, until the next change.
    std::u16string_view view() const override { return mirror_.text(); }
    // A program write: one step, or part of the step of the write it is nested in.
    void setText(std::u16string_view text) override;
    // The same, told what changes: `removed` code units at `at` become `inserted`.
    void replaceRange(std::size_t at, std::size_t removed, std::u16string_view inserted) override;
    std::size_t historyPosition() const noexcept override { return undo_.size(); }
    void clearHistory() noexcept override;

    // The user's edit, as the mirror found it in what the control reported.
    void userEdited(TextMirror::Edit edit);

    // While true, a change is the history's own write: of a program write, or of an undo or
    // redo.
    bool writing() const { return depth_ > 0; }
    bool walking() const { return walking_; }

    // Marks the change handlers of a user's edit, so that a write from inside them (the
    // automatic break) is a step of its own.
    void beginUserEdit() { ++userEditDepth_; }
    void endUserEdit() { --userEditDepth_; }

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Walk one step; false when there is none. The control shows the text of the step, its
    // caret where the step changed it.
    bool undo();
    bool redo();

    // Those who read the text again after it changed, each from where it changed since it last
    // looked: the check, and the keeper of the melody's file.
    enum class Reader : std::uint8_t { Check, Keeper };

    // The first offset that any change since the reader's last take touched; past the end when
    // none did.
    std::size_t earliestChange(Reader reader = Reader::Check) const;
    std::size_t takeEarliestChange(Reader reader = Reader::Check);

private:
    using Edit = TextMirror::Edit;
    struct Step {
        std::vector<Edit> edits;
        // Typing that the next keystroke may join.
        bool typing = false;
    };

    // Where an insertion or deletion could stand in more than one place ("e" typed into "ee"),
    // the one that ends at the caret.
    static void alignToCaret(Edit& edit, std::u16string_view after, std::size_t caret);
    void write(std::size_t at, std::size_t removed, std::u16string_view inserted);
    void push(Step step);
    bool joinsTyping(const Edit& edit) const;
    // Shows the edits of a step walked back (undoing) or forward, all or none; returns where
    // the caret goes.
    std::size_t walk(const Step& step, bool undoing);
    void touched(std::size_t at);

    TextMirror& mirror_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    int depth_ = 0;
    int userEditDepth_ = 0;
    bool walking_ = false;
    // The last step came from a program write, so that a write from inside its change joins it.
    bool lastWasProgramWrite_ = false;
    std::array<std::size_t, 2> earliestChange_{static_cast<std::size_t>(-1),
                                               static_cast<std::size_t>(-1)};
};

} // namespace quillon
