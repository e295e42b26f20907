#include "quillon/FileCalls.h"

#include "FilePaths.h"

#include <algorithm>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace quillon {

namespace fs = std::filesystem;
using detail::followLink;
using detail::temporaryPathFor;

namespace {

std::error_code lastError() {
    return {static_cast<int>(::GetLastError()), std::system_category()};
}

} // namespace

std::error_code replaceFile(const fs::path& requested, std::string_view bytes) {
    const fs::path target = followLink(requested);
    const fs::path temporary = temporaryPathFor(target);
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    bool ok = true;
    while (ok && !bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        ok = ::WriteFile(file, bytes.data(), chunk, &written, nullptr) != 0;
        bytes.remove_prefix(written);
    }
    ok = ok && ::FlushFileBuffers(file) != 0;
    std::error_code error = ok ? std::error_code() : lastError();
    ::CloseHandle(file);
    if (!error && ::MoveFileExW(temporary.c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        error = lastError();
    }
    if (error) {
        ::DeleteFileW(temporary.c_str());
    }
    return error;
}

std::error_code readFileUpTo(const fs::path& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return std::make_error_code(std::errc::invalid_argument);
    }
    char buffer[65536];
    std::error_code error;
    while (bytes.size() <= limit) {
        DWORD got = 0;
        if (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) == 0) {
            error = lastError();
            break;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    if (bytes.size() > limit + 1) {
        bytes.resize(limit + 1);
    }
    return error;
}

} // namespace quillon
