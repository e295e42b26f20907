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

TextHistory::TextHistory(TextMirror& mirror) : mirror_(mirror) {}

std::u16string TextHistory::text() const {
    // Room for what a command appends, so that the caller's append does not copy it again.
    constexpr std::size_t kRoomToAppend = 64;
    const std::u16string_view known = view();
    std::u16string copy;
    copy.reserve(known.size() + kRoomToAppend);
    copy.append(known);
    return copy;
}

void TextHistory::setText(std::u16string_view text) {
    const TextChange change = changeBetween(view(), text);
    write(change.at, change.removed, change.inserted);
}

void TextHistory::replaceRange(std::size_t at, std::size_t removed, std::u16string_view inserted) {
    write(at, removed, inserted);
}

void TextHistory::write(std::size_t at, std::size_t removed, std::u16string_view inserted) {
    const bool nested = depth_ > 0;
    const DepthGuard writing(depth_);
    // A control that refuses throws here, before anything is filed: the text stays.
    Edit edit = mirror_.write(at, removed, inserted);
    touched(edit.at);
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
    // A write is one change, even when the text stays the same.
    if (changed) {
        changed();
    }
    // After a click the user sees the end, where the next click appends; inside the handler of
    // the user's edit the caret stays where the user types.
    if (!nested && userEditDepth_ == 0) {
        mirror_.placeCaret(view().size());
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

void TextHistory::userEdited(Edit edit) {
    touched(edit.at);
    alignToCaret(edit, view(), mirror_.caret());
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
        return;
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
    const std::size_t caret = walk(undo_.back(), true);
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    // Typing after an undo starts a step of its own.
    if (!undo_.empty()) {
        undo_.back().typing = false;
    }
    lastWasProgramWrite_ = false;
    mirror_.placeCaret(std::min(caret, view().size()));
    return true;
}

bool TextHistory::redo() {
    if (redo_.empty()) {
        return false;
    }
    const std::size_t caret = walk(redo_.back(), false);
    // A walked step is never joined by the next keystroke or write.
    redo_.back().typing = false;
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    lastWasProgramWrite_ = false;
    mirror_.placeCaret(std::min(caret, view().size()));
    return true;
}

std::size_t TextHistory::walk(const Step& step, bool undoing) {
    const bool walking = std::exchange(walking_, true);
    const DepthGuard writing(depth_);
    std::size_t caret = view().size();
    std::size_t shown = 0;
    try {
        for (; shown < step.edits.size(); ++shown) {
            const Edit& edit = step.edits[undoing ? step.edits.size() - 1 - shown : shown];
            touched(edit.at);
            if (undoing) {
                mirror_.write(edit.at, edit.inserted.size(), edit.removed);
                caret = edit.at + edit.removed.size();
            } else {
                mirror_.write(edit.at, edit.removed.size(), edit.inserted);
                caret = edit.at + edit.inserted.size();
            }
            if (changed) {
                changed();
            }
        }
    } catch (...) {
        // A control that refuses keeps its text: the step is taken back whole and stays where
        // it was, so that the history never describes another text than the one shown.
        while (shown-- > 0) {
            const Edit& edit = step.edits[undoing ? step.edits.size() - 1 - shown : shown];
            try {
                if (undoing) {
                    mirror_.write(edit.at, edit.removed.size(), edit.inserted);
                } else {
                    mirror_.write(edit.at, edit.inserted.size(), edit.removed);
                }
            } catch (const std::exception&) {
                // Refused both ways: nothing more can be done here.
            }
        }
        walking_ = walking;
        throw;
    }
    walking_ = walking;
    return caret;
}

void TextHistory::touched(std::size_t at) {
    for (std::size_t& earliest : earliestChange_) {
        earliest = std::min(earliest, at);
    }
}

std::size_t TextHistory::earliestChange(Reader reader) const {
    return earliestChange_[static_cast<std::size_t>(reader)];
}

std::size_t TextHistory::takeEarliestChange(Reader reader) {
    return std::exchange(earliestChange_[static_cast<std::size_t>(reader)],
                         static_cast<std::size_t>(-1));
}

} // namespace quillon
