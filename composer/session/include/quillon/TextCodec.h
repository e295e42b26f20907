#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// Between Text1's UTF-16 and the bytes of a file.

// Exactly the text as UTF-8, without a byte order mark. An unpaired surrogate, which no file
// can hold, becomes U+FFFD.
std::string encodeUtf8(std::u16string_view text);

// Well-formed UTF-8 only (no overlong forms, surrogates or values past U+10FFFF); none otherwise.
std::optional<std::u16string> decodeUtf8(std::string_view bytes);

// Every malformed sequence as U+FFFD: for names and messages, which must show whatever they hold.
std::u16string decodeUtf8Lenient(std::string_view bytes);

// Every line break, LF, CR LF or a lone CR, as CR LF.
std::u16string withCrLf(std::u16string_view text);

// The text a file holds, as Text1 takes it: UTF-8 with or without a byte order mark, else GBK;
// line breaks as CR LF. None when the bytes are neither, or hold control characters that no
// text has (anything below U+0020 but tab, line feed, form feed and carriage return).
std::optional<std::u16string> decodeTextFile(std::string_view bytes);

} // namespace quillon
