#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

// The multi-line text box that holds the music code text. The text box is the only home of
// the document: the editor reads it and writes back what changes. An append reads only the end
// and writes only what it adds, so that a click costs the same in a long melody as in a short one.
class TextBox {
public:
    virtual ~TextBox() = default;

    // The whole text as UTF-16 code units; a line break reads as CR LF.
    virtual std::u16string text() const = 0;

    // The same text without a copy: valid until the next write. Throws as text() does.
    virtual std::u16string_view view() const = 0;

    // Replaces the whole text in one write. The box raises its change handler exactly once,
    // synchronously, before this returns; the handler may write once more from inside.
    // A box that refuses the write throws, and keeps its old text.
    virtual void setText(std::u16string_view text) = 0;

    // The same write, told what changes: `removed` code units at `at` become `inserted`. The
    // text is what setText of the whole new text would give, with the same change event.
    virtual void replaceRange(std::size_t at, std::size_t removed,
                              std::u16string_view inserted) = 0;
};

// A text box with an undo history, as the editor files its counters against it.
class UndoableText : public TextBox {
public:
    // Where the undo history stands: the same number after a change as after undoing or
    // redoing back to that change, so that the editor can file its counters under it.
    virtual std::size_t historyPosition() const noexcept = 0;

    // Forgets the undo history: the present text becomes the point that undo stops at.
    virtual void clearHistory() noexcept = 0;
};

} // namespace quillon
