#include "quillon/TextHistory.h"

#include "quillon/TextChange.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace quillon {
namespace {

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

bool isLineBreak(char16_t ch) {
    return ch == u'\r' || ch == u'\n';
}

} // namespace

TextHistory::TextHistory(TextControl& control) : control_(control) {}

std::u16string TextHistory::text() const {
    // Room for what a command appends, so that the caller's append does not copy it again.
    constexpr std::size_t kRoomToAppend = 64;
    std::u16string copy;
    copy.reserve(known_.size() + kRoomToAppend);
    copy.append(known_);
    return copy;
}

TextHistory::Edit TextHistory::diff(std::u16string_view before, std::u16string_view after) {
    TextChange change = changeBetween(before, after);
    return {change.at, std::u16string(before.substr(change.at, change.removed)),
            std::move(change.inserted)};
}

void TextHistory::setText(std::u16string_view text) {
    write(diff(known_, text));
}

void TextHistory::replaceRange(std::size_t at, std::size_t removed, std::u16string_view inserted) {
    at = std::min(at, known_.size());
    removed = std::min(removed, known_.size() - at);
    write({at, known_.substr(at, removed), std::u16string(inserted)});
}

void TextHistory::write(Edit edit) {
    touched(edit.at);
    const std::size_t at = edit.at;
    const std::size_t removed = edit.removed.size();
    // The control reads it while the change it raises may write again: a copy of its own.
    const std::u16string inserted = edit.inserted;
    // The kept text follows by the edit alone: an append costs what it appends.
    known_.replace(at, removed, inserted);
    const bool nested = depth_ > 0;
    const bool joins = nested && userEditDepth_ == 0 && lastWasProgramWrite_ && !undo_.empty();
    if (joins) {
        // The automatic break of a program write is undone together with it.
        undo_.back().edits.push_back(std::move(edit));
    } else {
        Step step;
        step.edits.push_back(std::move(edit));
        push(std::move(step));
        lastWasProgramWrite_ = userEditDepth_ == 0;
    }
    DepthGuard writing(depth_);
    try {
        control_.replaceRange(at, removed, inserted);
    } catch (...) {
        // The control kept its text: so does the history.
        const Edit& made = undo_.back().edits.back();
        known_.replace(made.at, made.inserted.size(), made.removed);
        undo_.back().edits.pop_back();
        if (undo_.back().edits.empty()) {
            undo_.pop_back();
        }
        throw;
    }
}

void TextHistory::alignToCaret(Edit& edit, std::u16string_view after, std::size_t caret) {
    const bool inserted = edit.removed.empty() && !edit.inserted.empty();
    const bool deleted = edit.inserted.empty() && !edit.removed.empty();
    if (!inserted && !deleted) {
        return;
    }
    // The diff puts the edit as far right as it can go; slide it left while the text it
    // moves over repeats it, until it meets the caret.
    std::u16string& moved = inserted ? edit.inserted : edit.removed;
    const std::size_t want = inserted ? caret - std::min(caret, moved.size()) : caret;
    while (edit.at > want && after[edit.at - 1] == moved.back()) {
        moved.insert(moved.begin(), moved.back());
        moved.pop_back();
        --edit.at;
    }
}

bool TextHistory::userEdited() {
    std::u16string now = control_.text();
    if (now == known_) {
        return false;
    }
    Edit edit = diff(known_, now);
    touched(edit.at);
    alignToCaret(edit, now, control_.caretPosition());
    known_ = std::move(now);
    if (joinsTyping(edit)) {
        Edit& last = undo_.back().edits.back();
        if (edit.removed.empty()) {
            last.inserted += edit.inserted;
        } else if (edit.at == last.at) {
            last.removed += edit.removed; // Delete, the caret standing still
        } else {
            last.at = edit.at; // Backspace, the caret going back
            last.removed.insert(0, edit.removed);
        }
        return true;
    }
    Step step;
    // One character typed or deleted may be joined by the next; a paste stands alone.
    const bool keystroke =
        (edit.inserted.size() == 1 && edit.removed.empty() && !isLineBreak(edit.inserted[0])) ||
        (edit.inserted.empty() && edit.removed.size() == 1);
    step.typing = keystroke;
    step.edits.push_back(std::move(edit));
    push(std::move(step));
    lastWasProgramWrite_ = false;
    return true;
}

bool TextHistory::joinsTyping(const Edit& edit) const {
    if (undo_.empty() || !undo_.back().typing || undo_.back().edits.size() != 1) {
        return false;
    }
    const Edit& last = undo_.back().edits.back();
    if (edit.removed.empty() && last.removed.empty()) {
        return edit.inserted.size() == 1 && !isLineBreak(edit.inserted[0]) &&
               edit.at == last.at + last.inserted.size();
    }
    if (edit.inserted.empty() && last.inserted.empty() && edit.removed.size() == 1) {
        return edit.at == last.at || edit.at + 1 == last.at;
    }
    return false;
}

void TextHistory::push(Step step) {
    undo_.push_back(std::move(step));
    redo_.clear();
}

void TextHistory::clearHistory() noexcept {
    undo_.clear();
    redo_.clear();
    lastWasProgramWrite_ = false;
}

bool TextHistory::undo() {
    if (undo_.empty()) {
        return false;
    }
    Step step = std::move(undo_.back());
    undo_.pop_back();
    std::size_t caret = known_.size();
    const bool walking = std::exchange(walking_, true);
    for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit) {
        known_.replace(edit->at, edit->inserted.size(), edit->removed);
        caret = edit->at + edit->removed.size();
        touched(edit->at);
        show(*edit, true);
    }
    walking_ = walking;
    redo_.push_back(std::move(step));
    // Typing after an undo starts a step of its own.
    if (!undo_.empty()) {
        undo_.back().typing = false;
    }
    lastWasProgramWrite_ = false;
    placeCaret(caret);
    return true;
}

bool TextHistory::redo() {
    if (redo_.empty()) {
        return false;
    }
    Step step = std::move(redo_.back());
    redo_.pop_back();
    std::size_t caret = known_.size();
    const bool walking = std::exchange(walking_, true);
    for (const Edit& edit : step.edits) {
        known_.replace(edit.at, edit.removed.size(), edit.inserted);
        caret = edit.at + edit.inserted.size();
        touched(edit.at);
        show(edit, false);
    }
    walking_ = walking;
    // A walked step is never joined by the next keystroke or write.
    step.typing = false;
    undo_.push_back(std::move(step));
    lastWasProgramWrite_ = false;
    placeCaret(caret);
    return true;
}

void TextHistory::show(const Edit& edit, bool undoing) {
    DepthGuard writing(depth_);
    try {
        if (undoing) {
            control_.replaceRange(edit.at, edit.inserted.size(), edit.removed);
        } else {
            control_.replaceRange(edit.at, edit.removed.size(), edit.inserted);
        }
    } catch (const std::exception&) {
        // A control that refuses leaves its text; the next edit of the user's finds out.
    }
}

void TextHistory::placeCaret(std::size_t caret) {
    control_.placeCaret(std::min(caret, known_.size()));
}

void TextHistory::touched(std::size_t at) {
    earliestChange_ = std::min(earliestChange_, at);
}

std::size_t TextHistory::earliestChange() const {
    return earliestChange_;
}

std::size_t TextHistory::takeEarliestChange() {
    return std::exchange(earliestChange_, static_cast<std::size_t>(-1));
}

} // namespace quillon
