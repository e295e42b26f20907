#include "quillon/TextCodec.h"

#include "quillon/Gbk.h"

#include <algorithm>

namespace quillon {
namespace {

bool isText(std::u16string_view text) {
    return std::none_of(text.begin(), text.end(), [](char16_t c) {
        return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\f' && c != u'\r';
    });
}

} // namespace

std::u16string withCrLf(std::u16string_view text) {
    // One pass over the units: a paste of megabytes goes through here, and find_first_of
    // compares each unit with every break in turn.
    const auto isBreak = [](char16_t c) {
        return c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029';
    };
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && !isBreak(text[end])) {
            ++end;
        }
        out.append(text.substr(i, end - i));
        if (end == text.size()) {
            break;
        }
        out += u"\r\n";
        i = end + (text.substr(end, 2) == u"\r\n" ? 2 : 1);
    }
    return out;
}

std::optional<std::u16string> decodeTextFile(std::string_view bytes) {
    constexpr std::string_view kBom = "\xef\xbb\xbf";
    std::optional<std::u16string> text;
    if (bytes.starts_with(kBom)) {
        text = decodeUtf8(bytes.substr(kBom.size()));
    } else {
        text = decodeUtf8(bytes);
        if (!text) {
            text = decodeGbk(bytes);
        }
    }
    if (!text || !isText(*text)) {
        return std::nullopt;
    }
    return withCrLf(*text);
}

} // namespace quillon
