#include "EditText.h"

#include <algorithm>
#include <cstring>

namespace quillon::win32 {

std::u16string withCrLf(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (ch == u'\r' || ch == u'\n') {
            if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            out += u"\r\n";
        } else {
            out += ch;
        }
    }
    return out;
}

std::size_t commonPrefix(std::u16string_view before, std::u16string_view now) {
    const std::size_t shorter = std::min(before.size(), now.size());
    std::size_t at = shorter;
    // Most writes keep all of the old text: one pass proves it.
    if (std::memcmp(before.data(), now.data(), shorter * sizeof(char16_t)) != 0) {
        at = static_cast<std::size_t>(
            std::mismatch(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(shorter),
                          now.begin())
                .first -
            before.begin());
    }
    // What follows a CR may differ: keep the CR with its LF.
    if (at > 0 && before[at - 1] == u'\r') {
        --at;
    }
    return at;
}

} // namespace quillon::win32
