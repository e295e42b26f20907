#include "quillon/UserFolders.h"

#include "Environment.h"

namespace quillon {

std::optional<std::filesystem::path> absolutePathFromEnvironment(const char* name) {
    std::filesystem::path path(detail::environmentValue(name));
    if (path.empty() || !path.is_absolute()) {
        return std::nullopt;
    }
    return path;
}

} // namespace quillon
