#pragma once

#include "quillon/TextBox.h"
#include "quillon/TextChange.h"

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::test {

// A text box that behaves as the editor needs of the real one: every write and every typed
// edit raises the change handler once, synchronously, inside the write; the handler may write
// again from inside. Every write and typed edit is a point of its undo history, which undo()
// and redo() walk without a change event. It can be told to refuse writes, and it records how
// it was used.
class FakeTextBox : public UndoableText {
public:
    std::function<void()> onChange;
    // Raised after undo() and redo(), as the real box raises its history event.
    std::function<void()> onHistoryMoved;
    // Keeps a copy of the text at every point, for undo() and redo(); a benchmark that never
    // undoes turns it off, so that it times the editor and not these copies.
    bool keepsUndoPoints = true;
    // Asked before every write with the depth of handler runs around it; true refuses it.
    std::function<bool(int depth)> refuse;
    bool refuseReads = false;
    // Called after every accepted write with the old and new text and the nesting depth.
    std::function<void(std::u16string_view before, std::u16string_view after, int depth)> onWrite;

    int changeEvents = 0;
    int writes = 0;
    int depth = 0;
    int maxDepth = 0;

    // Writes of the whole text and of a range, and the last range asked for.
    int wholeWrites = 0;
    int rangeWrites = 0;
    TextChange lastRange;

    std::u16string text() const override { return std::u16string(view()); }

    std::u16string_view view() const override {
        if (refuseReads) {
            throw std::runtime_error("read refused");
        }
        return text_;
    }

    void setText(std::u16string_view text) override {
        ++wholeWrites;
        write(0, text_.size(), text);
    }

    void replaceRange(std::size_t at, std::size_t removed, std::u16string_view inserted) override {
        ++rangeWrites;
        lastRange = {at, removed, std::u16string(inserted)};
        // Never clamped: a range outside the text leaves it as it was, which the tests see.
        if (at > text_.size() || removed > text_.size() - at) {
            throw std::out_of_range("range outside the text");
        }
        write(at, removed, inserted);
    }

    // The user's typing at a caret position: removes `removed` characters there, inserts
    // `typed`, and raises one change event, as the box does for each edit.
    void type(std::size_t caret, std::u16string_view typed, std::size_t removed = 0) {
        text_.replace(caret, removed, typed);
        addPoint();
        typing_ = true;
        raiseChange();
        typing_ = false;
    }

    std::size_t historyPosition() const noexcept override { return position_; }

    void clearHistory() noexcept override {
        points_.assign(1, text_);
        position_ = 0;
    }

    bool undo() { return moveTo(position_ == 0 ? position_ : position_ - 1); }
    bool redo() { return moveTo(position_ + 1 < points_.size() ? position_ + 1 : position_); }

private:
    void write(std::size_t at, std::size_t removed, std::u16string_view inserted) {
        if (refuse && refuse(depth)) {
            throw std::runtime_error("write refused");
        }
        ++writes;
        std::u16string before = onWrite ? text_ : std::u16string();
        text_.replace(at, removed, inserted);
        // The automatic break of a program write is undone with it; the one that a typed edit
        // triggers is a step of its own.
        if (depth > 0 && !typing_) {
            if (keepsUndoPoints) {
                points_[position_] = text_;
            }
        } else {
            addPoint();
        }
        if (onWrite) {
            onWrite(before, text_, depth);
        }
        raiseChange();
    }

    void addPoint() {
        if (!keepsUndoPoints) {
            ++position_;
            return;
        }
        points_.resize(position_ + 1);
        points_.push_back(text_);
        ++position_;
    }

    bool moveTo(std::size_t position) {
        if (position == position_) {
            return false;
        }
        position_ = position;
        text_ = points_[position_];
        if (onHistoryMoved) {
            onHistoryMoved();
        }
        return true;
    }

    void raiseChange() {
        ++changeEvents;
        ++depth;
        maxDepth = depth > maxDepth ? depth : maxDepth;
        if (onChange) {
            onChange();
        }
        --depth;
    }

    std::u16string text_;
    std::vector<std::u16string> points_{std::u16string()};
    std::size_t position_ = 0;
    bool typing_ = false;
};

} // namespace quillon::test
