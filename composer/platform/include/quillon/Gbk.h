#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// GBK as Windows' code page 936 has it (0x80 is the euro sign); none when `bytes` is not GBK.
std::optional<std::u16string> decodeGbk(std::string_view bytes);

} // namespace quillon
