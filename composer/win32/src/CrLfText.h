#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::win32 {

// Text1's text as the session reads it, every line break CR LF, beside the positions a rich
// edit control counts in, where a line break is one character. Plain C++, tested on Linux.
class CrLfText {
public:
    const std::u16string& text() const { return text_; }

    void assign(std::u16string_view text);
    // Keeps the first `from` code units and puts `tail` after them.
    void replaceTail(std::size_t from, std::u16string_view tail);

    // The control's position of index `index` of the text; an index between the CR and the
    // LF of a break counts as the break's position.
    std::size_t positionOf(std::size_t index) const;
    // The text's index of the control's position `position`, clamped to the end.
    std::size_t indexOf(std::size_t position) const;

    // Where `text` and this text first differ, never inside a line break.
    std::size_t commonPrefix(std::u16string_view text) const;

private:
    void findBreaks(std::size_t from);

    std::u16string text_;
    // The index of the CR of every line break, ascending.
    std::vector<std::size_t> breaks_;
};

// Every line break as CR LF: a lone CR, a lone LF and CR LF each stand for one.
std::u16string withCrLf(std::u16string_view text);

} // namespace quillon::win32
