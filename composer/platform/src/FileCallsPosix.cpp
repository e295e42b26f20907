#include "quillon/FileCalls.h"

#include "FilePaths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon {

namespace fs = std::filesystem;
using detail::followLink;
using detail::temporaryPathFor;

namespace {

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

} // namespace

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

} // namespace quillon
