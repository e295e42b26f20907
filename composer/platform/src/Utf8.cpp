#include "quillon/Utf8.h"

#include <cstdint>

namespace quillon {
namespace {

constexpr char32_t kReplacement = 0xfffd;

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xd800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xdc00 + (cp & 0x3ff)));
    }
}

// The code point of the sequence at `i`, which it passes; none for a malformed one, of which
// it passes the first byte only.
std::optional<char32_t> nextUtf8(std::string_view bytes, std::size_t& i) {
    const auto lead = static_cast<std::uint8_t>(bytes[i++]);
    if (lead < 0x80) {
        return lead;
    }
    int more = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        more = 1;
        cp = lead & 0x1fu;
        least = 0x80;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        more = 2;
        cp = lead & 0x0fu;
        least = 0x800;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        more = 3;
        cp = lead & 0x07u;
        least = 0x10000;
    } else {
        return std::nullopt;
    }
    std::size_t j = i;
    for (int k = 0; k < more; ++k, ++j) {
        if (j >= bytes.size() || (static_cast<std::uint8_t>(bytes[j]) & 0xc0) != 0x80) {
            return std::nullopt;
        }
        cp = (cp << 6) | (static_cast<std::uint8_t>(bytes[j]) & 0x3fu);
    }
    if (cp < least || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) {
        return std::nullopt;
    }
    i = j;
    return cp;
}

std::optional<std::u16string> decodeUtf8(std::string_view bytes, bool lenient) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Runs of ASCII, which melodies mostly are, in one append.
        std::size_t ascii = i;
        while (ascii < bytes.size() && static_cast<std::uint8_t>(bytes[ascii]) < 0x80) {
            ++ascii;
        }
        out.append(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                   bytes.begin() + static_cast<std::ptrdiff_t>(ascii));
        i = ascii;
        if (i == bytes.size()) {
            break;
        }
        const std::optional<char32_t> cp = nextUtf8(bytes, i);
        if (!cp && !lenient) {
            return std::nullopt;
        }
        appendUtf16(out, cp.value_or(kReplacement));
    }
    return out;
}

} // namespace

std::string encodeUtf8(std::u16string_view text) {
    // Written through a pointer into room for the longest outcome (three bytes a code unit),
    // then cut: the keeper encodes the whole melody twice a second while the user clicks.
    std::string out(text.size() * 3, '\0');
    char* to = out.data();
    const auto byte = [&to](char32_t value) { *to++ = static_cast<char>(value); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp < 0x80) {
            byte(cp);
            continue;
        }
        if (cp >= 0xd800 && cp <= 0xdbff && i + 1 < text.size() && text[i + 1] >= 0xdc00 &&
            text[i + 1] <= 0xdfff) {
            cp = 0x10000 + ((cp - 0xd800) << 10) + (text[++i] - 0xdc00u);
        } else if (cp >= 0xd800 && cp <= 0xdfff) {
            cp = kReplacement;
        }
        if (cp < 0x800) {
            byte(0xc0 | (cp >> 6));
            byte(0x80 | (cp & 0x3f));
        } else if (cp < 0x10000) {
            byte(0xe0 | (cp >> 12));
            byte(0x80 | ((cp >> 6) & 0x3f));
            byte(0x80 | (cp & 0x3f));
        } else {
            // Two code units became four bytes: within the room of six.
            byte(0xf0 | (cp >> 18));
            byte(0x80 | ((cp >> 12) & 0x3f));
            byte(0x80 | ((cp >> 6) & 0x3f));
            byte(0x80 | (cp & 0x3f));
        }
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

std::optional<std::u16string> decodeUtf8(std::string_view bytes) {
    return decodeUtf8(bytes, false);
}

std::u16string decodeUtf8Lenient(std::string_view bytes) {
    return *decodeUtf8(bytes, true);
}

} // namespace quillon
