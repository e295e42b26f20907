#pragma once

#include <filesystem>
#include <optional>

namespace quillon {

// An environment variable that holds an absolute path; none when it is unset, empty or
// relative.
std::optional<std::filesystem::path> absolutePathFromEnvironment(const char* name);

// Where the composer keeps the user's own data, as each system's users expect it:
// %LOCALAPPDATA%\Quillon on Windows, $XDG_DATA_HOME/quillon (by default ~/.local/share/quillon)
// elsewhere; none when the environment names no such folder.
std::optional<std::filesystem::path> userDataFolder();

} // namespace quillon
