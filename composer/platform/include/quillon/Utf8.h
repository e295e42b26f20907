#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// Between UTF-16, which the composer's texts and Windows' names are, and UTF-8, which files and
// Linux's names and messages are.

// Exactly the text as UTF-8, without a byte order mark. An unpaired surrogate, which no file
// can hold, becomes U+FFFD.
std::string encodeUtf8(std::u16string_view text);

// Well-formed UTF-8 only (no overlong forms, surrogates or values past U+10FFFF); none otherwise.
std::optional<std::u16string> decodeUtf8(std::string_view bytes);

// Every malformed sequence as U+FFFD: for names and messages, which must show whatever they hold.
std::u16string decodeUtf8Lenient(std::string_view bytes);

} // namespace quillon
