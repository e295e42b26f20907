// timervals: prints the 16-bit timer reload values of the 28 notes (C3 to B6) as C byte pairs,
// high byte first, seven notes to a line, ready to paste into a firmware table.
#include "quillon_convention.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Note frequencies in hertz by note index, natural notes of four octaves, lowest first: the
// player's own table, so that the reload values and the chip cannot disagree. Used exactly as
// listed rather than derived from a tuning formula, so C6, E6 and B6 sit one hertz below the
// nearest equal-tempered value.
const std::uint32_t x[28] = {QUILLON_NOTE_FREQUENCIES_HZ};
static_assert(sizeof x / sizeof x[0] == QUILLON_NOTE_COUNT);

namespace {

// Pushes everything written so far out of the stdio buffer and tells whether any of it failed.
// Checked before the closing text too, so that a table that never arrived is not followed by
// the success line.
bool outputFailed() {
    const bool flushFailed = std::fflush(stdout) != 0;
    return flushFailed || std::ferror(stdout) != 0;
}

// A lost table must not pass for success: a build that redirects it into a source file would
// otherwise compile an empty table without a word.
int reportWriteError() {
    const int reason = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "timervals: write error: %s\n", std::strerror(reason));
    return 1;
}

} // namespace

int main() {
    errno = 0;
    for (std::uint8_t i = 0; i <= 27; i++) {
        // Half a period in microseconds, truncated; the 16-bit up-counter overflows after N
        // counts when reloaded with 0x10000 - N.
        const std::uint32_t tempx = 0x10000u - 500000u / x[i];
        const auto high = static_cast<std::uint8_t>(tempx >> 8);
        const auto low = static_cast<std::uint8_t>(tempx);
        std::printf("0x%02X,0x%02X, ", unsigned{high}, unsigned{low});
        if ((i + 1) % 7 == 0) {
            std::printf("\n");
        }
    }
    if (outputFailed()) {
        return reportWriteError();
    }

    std::printf("\n\a^_^ Calc Over!");
    if (outputFailed()) {
        return reportWriteError();
    }

    // Holds a console window open until a key; at end of input it returns at once.
    std::getchar();
    return 0;
}
