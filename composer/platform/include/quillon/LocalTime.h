#pragma once

#include <compare>

namespace quillon {

// A moment on the user's wall clock, to the second: when a melody began.
struct LocalTime {
    int year = 1970;
    int month = 1; // 1 to 12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend auto operator<=>(const LocalTime&, const LocalTime&) = default;
};

LocalTime localTimeNow();

} // namespace quillon
