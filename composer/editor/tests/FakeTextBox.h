#pragma once

#include "quillon/TextBox.h"

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillon::test {

// A text box that behaves as the editor needs of the real one: every write and every typed
// edit raises the change handler once, synchronously, inside the write; the handler may write
// again from inside. It can be told to refuse writes, and it records how it was used.
class FakeTextBox : public TextBox {
public:
    std::function<void()> onChange;
    // Asked before every write with the depth of handler runs around it; true refuses it.
    std::function<bool(int depth)> refuse;
    bool refuseReads = false;
    // Called after every accepted write with the old and new text and the nesting depth.
    std::function<void(std::u16string_view before, std::u16string_view after, int depth)> onWrite;

    int changeEvents = 0;
    int writes = 0;
    int depth = 0;
    int maxDepth = 0;

    std::u16string text() const override {
        if (refuseReads) {
            throw std::runtime_error("read refused");
        }
        return text_;
    }

    void setText(std::u16string_view text) override {
        if (refuse && refuse(depth)) {
            throw std::runtime_error("write refused");
        }
        ++writes;
        std::u16string before = onWrite ? text_ : std::u16string();
        text_.assign(text);
        if (onWrite) {
            onWrite(before, text_, depth);
        }
        raiseChange();
    }

    // The user's typing at a caret position: removes `removed` characters there, inserts
    // `typed`, and raises one change event, as the box does for each edit.
    void type(std::size_t caret, std::u16string_view typed, std::size_t removed = 0) {
        text_.replace(caret, removed, typed);
        raiseChange();
    }

private:
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
};

} // namespace quillon::test
