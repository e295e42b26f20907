#pragma once

#include "quillon/SessionPorts.h"
#include "quillon/TextBox.h"

#include <cstddef>
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
// The history keeps the text as the control last showed it (the session's reads cost no call
// into the window) and learns of the user's edits through userEdited().
class TextHistory final : public UndoableText {
public:
    explicit TextHistory(TextControl& control);

    std::u16string text() const override;
    // The text without a copy, until the next change.
    std::u16string_view view() const { return known_; }
    // A program write: one step, or part of the step of the write it is nested in.
    void setText(std::u16string_view text) override;
    // The same, told what changes: `removed` code units at `at` become `inserted`.
    void replaceRange(std::size_t at, std::size_t removed, std::u16string_view inserted);
    std::size_t historyPosition() const noexcept override { return undo_.size(); }
    void clearHistory() noexcept override;

    // The control reports a change that the history did not write: the user's edit. False when
    // the text is as it was (nothing to count).
    bool userEdited();

    // While true, the change the control reports is the history's own write: of a program
    // write, or of an undo or redo.
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

    // The first offset that any change since the last take touched; past the end when none did.
    std::size_t earliestChange() const;
    std::size_t takeEarliestChange();

private:
    struct Edit {
        std::size_t at = 0;
        std::u16string removed;
        std::u16string inserted;
    };
    struct Step {
        std::vector<Edit> edits;
        // Typing that the next keystroke may join.
        bool typing = false;
    };

    static Edit diff(std::u16string_view before, std::u16string_view after);
    // Where an insertion or deletion could stand in more than one place ("e" typed into "ee"),
    // the one that ends at the caret.
    static void alignToCaret(Edit& edit, std::u16string_view after, std::size_t caret);
    void write(Edit edit);
    void push(Step step);
    bool joinsTyping(const Edit& edit) const;
    // Shows an edit of a step walked back (undoing) or forward in the control.
    void show(const Edit& edit, bool undoing);
    void placeCaret(std::size_t caret);
    void touched(std::size_t at);

    TextControl& control_;
    std::u16string known_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    int depth_ = 0;
    int userEditDepth_ = 0;
    bool walking_ = false;
    // The last step came from a program write, so that a write from inside its change joins it.
    bool lastWasProgramWrite_ = false;
    std::size_t earliestChange_ = static_cast<std::size_t>(-1);
};

} // namespace quillon
