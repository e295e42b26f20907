#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon::win32 {

// Text1's text as Windows' edit control holds it, every line break CR LF, and the arithmetic its
// replies need. Plain C++, tested on Linux.

// Every line break as CR LF: a lone CR, a lone LF and CR LF each stand for one.
std::u16string withCrLf(std::u16string_view text);

// Where `now` first differs from `before`, never between the CR and the LF of a line break.
std::size_t commonPrefix(std::u16string_view before, std::u16string_view now);

} // namespace quillon::win32
