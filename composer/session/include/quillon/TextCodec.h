#pragma once

#include "quillon/Utf8.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// Between Text1's UTF-16 and the bytes of a file; the UTF-8 codec itself is in Utf8.h.

// Every line break as CR LF: CR LF, a lone CR, a lone LF and the Unicode line and paragraph
// separators (which Qt's document gives for its breaks) each stand for one.
std::u16string withCrLf(std::u16string_view text);

// The text a file holds, as Text1 takes it: UTF-8 with or without a byte order mark, else GBK;
// line breaks as CR LF. None when the bytes are neither, or hold control characters that no
// text has (anything below U+0020 but tab, line feed, form feed and carriage return).
std::optional<std::u16string> decodeTextFile(std::string_view bytes);

} // namespace quillon
