#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace quillon {

// Replaces the contents of `target` so that a crash or power loss at any moment leaves either
// the old file or the new one whole: writes a temporary file beside it, flushes it to the disk,
// renames it over the target and flushes the folder. A target that is a link is followed, and
// an existing file keeps its permissions. On failure the target is as it was.
std::error_code replaceFile(const std::filesystem::path& target, std::string_view bytes);

// Reads at most `limit` + 1 bytes of the regular file `path` into `bytes`, so that the caller
// sees a file that is too long without reading all of it.
std::error_code readFileUpTo(const std::filesystem::path& path, std::size_t limit,
                             std::string& bytes);

} // namespace quillon
