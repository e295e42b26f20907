#include "quillon/Gbk.h"
#include "quillon/SystemText.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace quillon {

namespace fs = std::filesystem;

namespace {

// Windows' own code page conversions, into UTF-16, which wchar_t is on Windows.
std::optional<std::u16string> fromCodePage(unsigned codePage, DWORD flags, std::string_view bytes) {
    if (bytes.empty()) {
        return std::u16string();
    }
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length);
    return std::u16string(wide.begin(), wide.end());
}

} // namespace

std::optional<std::u16string> decodeGbk(std::string_view bytes) {
    return fromCodePage(936, MB_ERR_INVALID_CHARS, bytes);
}

std::u16string systemMessage(const std::error_code& error) {
    if (error.category() == std::system_category()) {
        wchar_t* buffer = nullptr;
        const DWORD length =
            ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(error.value()), 0,
                             reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        if (length > 0 && buffer != nullptr) {
            std::u16string text(buffer, buffer + length);
            ::LocalFree(buffer);
            while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) {
                text.pop_back();
            }
            return text;
        }
    }
    return fromCodePage(CP_ACP, 0, error.message()).value_or(u"?");
}

std::u16string displayPath(const fs::path& path) {
    const std::wstring& native = path.native();
    return std::u16string(native.begin(), native.end());
}

} // namespace quillon
