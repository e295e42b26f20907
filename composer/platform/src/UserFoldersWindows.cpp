#include "quillon/UserFolders.h"

#include "Environment.h"

#include <cstdlib>
#include <string>

namespace quillon {

namespace fs = std::filesystem;

// The wide environment: a user name outside the ANSI code page survives in the path.
fs::path::string_type detail::environmentValue(const char* name) {
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    const wchar_t* value = ::_wgetenv(wideName.c_str());
    return value != nullptr ? value : L"";
}

std::optional<fs::path> userDataFolder() {
    if (std::optional<fs::path> local = absolutePathFromEnvironment("LOCALAPPDATA")) {
        return *local / "Quillon";
    }
    return std::nullopt;
}

} // namespace quillon
