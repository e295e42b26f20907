#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// A melody carried in a page address's fragment, so that a link opens it: "melody=" and the
// text's UTF-8 in base64url (RFC 4648 §5) without padding, which no address needs escaped.

std::string shareFragment(std::u16string_view text);

// Whether a fragment is one of these links at all, broken or not.
bool isShareFragment(std::string_view fragment);

// The text a fragment (without its "#") carries; none when it carries no melody, or its
// base64url or UTF-8 is broken, or the text is longer than Open takes.
std::optional<std::u16string> sharedMelody(std::string_view fragment);

} // namespace quillon
