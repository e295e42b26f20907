#pragma once

#include <filesystem>

namespace quillon::detail {

// The environment variable `name` in the file system's own encoding; empty when it is not set.
std::filesystem::path::string_type environmentValue(const char* name);

} // namespace quillon::detail
