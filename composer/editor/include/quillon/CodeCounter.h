#pragma once

#include <cstdint>

namespace quillon {

// The two change counters behind the code byte count. Both stop at 32767.
struct CodeCounter {
    std::int16_t ChangeCount = 0;
    std::int16_t BreakCount = 0;

    // The count of codes entered: every change but the array header and the automatic breaks.
    std::int16_t displayedCount() const {
        return static_cast<std::int16_t>(ChangeCount - 1 - BreakCount);
    }

    friend bool operator==(const CodeCounter&, const CodeCounter&) = default;
};

} // namespace quillon
