#pragma once

#include "quillon/TextBox.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quillon {

// A text box that is only a string: it raises its change handler inside every write, as the
// composer's does, and keeps no undo history.
class StringTextBox : public UndoableText {
public:
    std::function<void()> onChange;

    std::u16string text() const override { return text_; }
    std::u16string_view view() const override { return text_; }

    void setText(std::u16string_view text) override { replaceRange(0, text_.size(), text); }

    void replaceRange(std::size_t at, std::size_t removed, std::u16string_view inserted) override {
        text_.replace(at, removed, inserted);
        ++position_;
        if (onChange) {
            onChange();
        }
    }

    std::size_t historyPosition() const noexcept override { return position_; }
    void clearHistory() noexcept override { position_ = 0; }

private:
    std::u16string text_;
    std::size_t position_ = 0;
};

} // namespace quillon
