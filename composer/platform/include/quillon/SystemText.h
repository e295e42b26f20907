#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace quillon {

// What the system says about `error`, in the user's language where the system has it.
std::u16string systemMessage(const std::error_code& error);

// A path as the user reads it, whatever bytes a Linux file name holds.
std::u16string displayPath(const std::filesystem::path& path);

} // namespace quillon
