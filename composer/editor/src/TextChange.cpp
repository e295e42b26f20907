#include "quillon/TextChange.h"

#include <algorithm>
#include <cstring>

namespace quillon {

TextChange changeBetween(std::u16string_view before, std::u16string_view after) {
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t prefix = 0;
    // Most writes keep all of the old text: one pass at memory speed proves it.
    if (std::memcmp(before.data(), after.data(), shorter * sizeof(char16_t)) == 0) {
        prefix = shorter;
    } else {
        while (prefix < shorter && before[prefix] == after[prefix]) {
            ++prefix;
        }
    }
    std::size_t suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    return {prefix, before.size() - prefix - suffix,
            std::u16string(after.substr(prefix, after.size() - prefix - suffix))};
}

} // namespace quillon
