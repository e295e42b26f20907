#include "quillon/Gbk.h"
#include "quillon/SystemText.h"
#include "quillon/Utf8.h"

#include <iconv.h>
#include <string>

namespace quillon {

namespace fs = std::filesystem;

std::optional<std::u16string> decodeGbk(std::string_view bytes) {
    // glibc knows code page 936 as GBK (CP936 is its alias), the C library of the web build (musl)
    // by that name only.
    iconv_t converter = ::iconv_open("UTF-16LE", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    // One byte or two make one UTF-16 unit: two bytes out per byte in is room enough.
    std::string out(bytes.size() * 2, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* next = out.data();
    std::size_t outLeft = out.size();
    bool refused = false;
    while (inLeft != 0 && !refused) {
        if (::iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1)) {
            break;
        }
        // Windows' 0x80 is the euro sign, a byte that musl's GBK refuses (no lead byte is 0x80,
        // so where a character starts it is this one). Two bytes out for one in: still room.
        refused = static_cast<unsigned char>(*in) != 0x80;
        if (!refused) {
            *next++ = '\xac';
            *next++ = '\x20';
            outLeft -= 2;
            ++in;
            --inLeft;
        }
    }
    ::iconv_close(converter);
    if (refused || inLeft != 0) {
        return std::nullopt;
    }
    std::u16string text;
    text.reserve((out.size() - outLeft) / 2);
    for (std::size_t i = 0; i + 1 < out.size() - outLeft; i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(out[i]) |
                                             static_cast<unsigned char>(out[i + 1]) << 8));
    }
    return text;
}

std::u16string systemMessage(const std::error_code& error) {
    // strerror speaks the locale's language; Qt and Windows set it to the user's, in UTF-8 here.
    return decodeUtf8Lenient(error.message());
}

std::u16string displayPath(const fs::path& path) {
    return decodeUtf8Lenient(path.native());
}

} // namespace quillon
