// notecodes: lists the music code of every note the composer can enter, 84 codes grouped by
// octave and, within an octave, by duration.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Duration labels by duration code minus 1.
const char* const str[3] = {"100ms", "200ms", "400ms"};

namespace {

// Group headings, lowest octave first, as GBK bytes (code page 936): the listing is meant for a
// Chinese console, so the bytes are written as they are and never as UTF-8.
const char* const headings[4] = {
    "\xB5\xCD\xB5\xCD\xD2\xF4", // low-low
    "\xB5\xCD\xD2\xF4",         // low
    "\xD6\xD0\xD2\xF4",         // middle
    "\xB8\xDF\xD2\xF4",         // high
};

constexpr std::uint8_t notesPerGroup = 7;

// Pushes everything written so far out of the stdio buffer and tells whether any of it failed.
// Checked before the closing text too, so that a listing that never arrived is not followed by
// the success line.
bool outputFailed() {
    const bool flushFailed = std::fflush(stdout) != 0;
    return flushFailed || std::ferror(stdout) != 0;
}

// A lost listing must not pass for success.
int reportWriteError() {
    const int reason = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "notecodes: write error: %s\n", std::strerror(reason));
    return 1;
}

} // namespace

int main() {
    errno = 0;
    for (std::uint8_t group = 0; group < 4; group++) {
        std::printf("------------------\n");
        std::printf("%s\n", headings[group]);
        const auto first = static_cast<std::uint8_t>(group * notesPerGroup);
        const auto last = static_cast<std::uint8_t>(first + notesPerGroup - 1);
        for (std::uint8_t j = 0; j <= 2; j++) {
            std::printf("%s\n", str[j]);
            for (std::uint8_t i = first; i <= last; i++) {
                // Note index in bits 7..3, duration code (j + 1) in bits 2..0; at most 0xdb.
                const auto code_x = static_cast<std::uint8_t>(i * 8 + j + 1);
                std::printf("0x%02x\n", unsigned{code_x});
            }
        }
    }
    if (outputFailed()) {
        return reportWriteError();
    }

    std::printf("\n\a^_^ Make Over!");
    if (outputFailed()) {
        return reportWriteError();
    }

    // Holds a console window open until a key; at end of input it returns at once.
    std::getchar();
    return 0;
}
