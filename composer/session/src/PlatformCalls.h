#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace quillon {

// The few calls that differ between Linux and Windows, so that the rest of the library is
// plain C++. localTimeNow() (LocalTime.h) is one of them.

// Replaces the contents of `target` so that a crash or power loss at any moment leaves either
// the old file or the new one whole: writes a temporary file beside it, flushes it to the disk,
// renames it over the target and flushes the folder. A target that is a link is followed, and
// an existing file keeps its permissions. On failure the target is as it was.
std::error_code replaceFile(const std::filesystem::path& target, std::string_view bytes);

// Reads at most `limit` + 1 bytes of the regular file `path` into `bytes`, so that the caller
// sees a file that is too long without reading all of it.
std::error_code readFileUpTo(const std::filesystem::path& path, std::size_t limit,
                             std::string& bytes);

// GBK as Windows' code page 936 has it (0x80 is the euro sign); none when `bytes` is not GBK.
std::optional<std::u16string> decodeGbk(std::string_view bytes);

// What the system says about `error`, in the user's language where the system has it.
std::u16string systemMessage(const std::error_code& error);

// A path as the user reads it, whatever bytes a Linux file name holds.
std::u16string displayPath(const std::filesystem::path& path);

// An environment variable that holds an absolute path; none when it is unset, empty or
// relative.
std::optional<std::filesystem::path> absolutePathFromEnvironment(const char* name);

} // namespace quillon
