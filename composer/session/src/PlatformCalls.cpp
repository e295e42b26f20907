#include "PlatformCalls.h"

#include "quillon/LocalTime.h"
#include "quillon/TextCodec.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillon {

namespace fs = std::filesystem;

namespace {

// A link is replaced by the file it points to, not by a file of its own.
fs::path followLink(const fs::path& target) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        fs::path resolved = fs::weakly_canonical(target, error);
        if (!error) {
            return resolved;
        }
    }
    return target;
}

fs::path temporaryPathFor(const fs::path& target) {
    fs::path name = target.filename();
    return target.parent_path() / (fs::path(".") += name += ".tmp");
}

#ifndef _WIN32
// The environment variable `name` in the file system's encoding; empty when it is not set.
fs::path::string_type environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void toLocalTime(std::time_t time, std::tm& parts) {
    ::localtime_r(&time, &parts);
}

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Writes all of `bytes`, however the system splits it.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}
#else
fs::path::string_type environmentValue(const char* name) {
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = ::_wgetenv(wideName.c_str());
    return value != nullptr ? value : L"";
}

void toLocalTime(std::time_t time, std::tm& parts) {
    ::localtime_s(&parts, &time);
}

std::error_code lastError() {
    return {static_cast<int>(::GetLastError()), std::system_category()};
}

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
#endif

} // namespace

#ifndef _WIN32

std::error_code replaceFile(const fs::path& requested, std::string_view bytes) {
    const fs::path target = followLink(requested);
    const fs::path temporary = temporaryPathFor(target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return lastError();
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    }
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const std::error_code error = lastError();
        ::close(fd);
        ::unlink(temporary.c_str());
        return error;
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), target.c_str()) != 0) {
        const std::error_code error = lastError();
        ::unlink(temporary.c_str());
        return error;
    }
    // The new name reaches the disk with the folder's own entry.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return {};
}

std::error_code readFileUpTo(const fs::path& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    // Not blocking on a named pipe that nobody writes to.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return lastError();
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const std::error_code error = lastError();
        ::close(fd);
        return error;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::make_error_code(S_ISDIR(info.st_mode) ? std::errc::is_a_directory
                                                          : std::errc::invalid_argument);
    }
    char buffer[65536];
    while (bytes.size() <= limit) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const std::error_code error = lastError();
            ::close(fd);
            return error;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (bytes.size() > limit + 1) {
        bytes.resize(limit + 1);
    }
    return {};
}

std::optional<std::u16string> decodeGbk(std::string_view bytes) {
    // glibc's CP936 is Windows' code page, the euro sign at 0x80 included.
    iconv_t converter = ::iconv_open("UTF-16LE", "CP936");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    // One byte or two make one UTF-16 unit: two bytes out per byte in is room enough.
    std::string out(bytes.size() * 2, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* next = out.data();
    std::size_t outLeft = out.size();
    const std::size_t result = ::iconv(converter, &in, &inLeft, &next, &outLeft);
    ::iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) {
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

#else // _WIN32

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

#endif

std::optional<fs::path> absolutePathFromEnvironment(const char* name) {
    fs::path path(environmentValue(name));
    if (path.empty() || !path.is_absolute()) {
        return std::nullopt;
    }
    return path;
}

LocalTime localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    toLocalTime(now, parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

} // namespace quillon
