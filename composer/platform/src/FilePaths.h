#pragma once

#include <filesystem>
#include <system_error>

namespace quillon::detail {

// A link is replaced by the file it points to, not by a file of its own.
inline std::filesystem::path followLink(const std::filesystem::path& target) {
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(target, error))) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
        if (!error) {
            return resolved;
        }
    }
    return target;
}

// Beside the target, so that renaming it over the target stays within one file system.
inline std::filesystem::path temporaryPathFor(const std::filesystem::path& target) {
    std::filesystem::path name = target.filename();
    return target.parent_path() / (std::filesystem::path(".") += name += ".tmp");
}

} // namespace quillon::detail
