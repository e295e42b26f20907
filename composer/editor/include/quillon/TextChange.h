#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

// One edit of the music code text, as a command computes it from the text alone: `removed`
// UTF-16 code units at `at` give way to `inserted`. The session writes it in one step of the
// history, so that what a command changes is all that undo keeps and all the window repaints.
struct TextChange {
    std::size_t at = 0;
    std::size_t removed = 0;
    std::u16string inserted;

    friend bool operator==(const TextChange&, const TextChange&) = default;
};

// The smallest change that turns `before` into `after`: what lies between their common start
// and their common end. One pass over each; empty (removes and inserts nothing) when they are
// the same.
TextChange changeBetween(std::u16string_view before, std::u16string_view after);

} // namespace quillon
