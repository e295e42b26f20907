#include "quillon/UserFolders.h"

#include "Environment.h"

#include <cstdlib>

namespace quillon {

namespace fs = std::filesystem;

fs::path::string_type detail::environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::optional<fs::path> userDataFolder() {
    // The XDG base directory rules: a relative XDG_DATA_HOME is to be ignored.
    std::optional<fs::path> data = absolutePathFromEnvironment("XDG_DATA_HOME");
    if (!data) {
        const std::optional<fs::path> home = absolutePathFromEnvironment("HOME");
        if (!home) {
            return std::nullopt;
        }
        data = *home / ".local" / "share";
    }
    return *data / "quillon";
}

} // namespace quillon
