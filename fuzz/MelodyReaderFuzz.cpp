// Fuzz target for the melody reader: any text must read without a crash, and what comes back
// must be usable as it is by the window (spans inside the text, non-empty findings, findings in
// order) and by the melody stream. The incremental check must read any edit of the text as a
// full read does.
#include "quillon/MelodyCheck.h"
#include "quillon/MelodyReader.h"
#include "quillon/MelodyStream.h"
#include "quillon/SoundConvention.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Bytes to UTF-16 so that a seed can be plain UTF-8 text: valid UTF-8 decodes as usual, three
// byte forms may also make lone surrogates, and any other byte b becomes the lone surrogate
// 0xDC00 + b. So every sequence of code units is reachable.
std::u16string decode(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    std::size_t i = 0;
    const auto continuation = [&](std::size_t k) {
        return i + k < size && (data[i + k] & 0xC0) == 0x80;
    };
    while (i < size) {
        const std::uint8_t b = data[i];
        if (b < 0x80) {
            text += static_cast<char16_t>(b);
            i += 1;
        } else if ((b & 0xE0) == 0xC0 && continuation(1)) {
            text += static_cast<char16_t>((b & 0x1F) << 6 | (data[i + 1] & 0x3F));
            i += 2;
        } else if ((b & 0xF0) == 0xE0 && continuation(1) && continuation(2)) {
            text += static_cast<char16_t>((b & 0x0F) << 12 | (data[i + 1] & 0x3F) << 6 |
                                          (data[i + 2] & 0x3F));
            i += 3;
        } else if ((b & 0xF8) == 0xF0 && continuation(1) && continuation(2) && continuation(3)) {
            const std::uint32_t c = ((b & 0x07u) << 18 | (data[i + 1] & 0x3Fu) << 12 |
                                     (data[i + 2] & 0x3Fu) << 6 | (data[i + 3] & 0x3Fu)) -
                                    0x10000u;
            text += static_cast<char16_t>(0xD800 + ((c >> 10) & 0x3FF));
            text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
            i += 4;
        } else {
            text += static_cast<char16_t>(0xDC00 + b);
            i += 1;
        }
    }
    return text;
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// One edit of the text, chosen by its first bytes (which are text too): a piece of the text
// itself replaces a stretch of it somewhere.
std::u16string edited(const std::u16string& text, const std::uint8_t* data, std::size_t size) {
    const auto byte = [&](std::size_t i) -> std::size_t { return i < size ? data[i] : 0; };
    const std::size_t n = text.size();
    const std::size_t at = (byte(0) | byte(1) << 8 | byte(2) << 16) % (n + 1);
    const std::size_t erase = std::min(byte(3) % 32, n - at);
    const std::size_t from = (byte(4) | byte(5) << 8 | byte(6) << 16) % (n + 1);
    const std::size_t insert = std::min(byte(7) % 32, n - from);
    std::u16string result = text;
    result.replace(at, erase, text, from, insert);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = decode(data, size);
    const quillon::Melody melody = quillon::readMelody(text);

    check(melody.played <= melody.elements.size());
    std::size_t previousEnd = 0;
    for (std::size_t k = 0; k < melody.elements.size(); ++k) {
        const auto& e = melody.elements[k];
        check(previousEnd <= e.begin && e.begin < e.end && e.end <= text.size());
        check(k >= melody.played || e.code != 0);
        previousEnd = e.end;
    }
    if (melody.played < melody.elements.size()) {
        check(melody.elements[melody.played].code == 0);
    }
    for (std::size_t k = 0; k < melody.findings.size(); ++k) {
        const auto& f = melody.findings[k];
        check(f.begin <= f.end && f.end <= text.size());
        check(text.empty() || f.begin < f.end);
        check(k == 0 || melody.findings[k - 1].begin < f.begin ||
              melody.findings[k - 1].kind <= f.kind);
        check(k == 0 || melody.findings[k - 1].begin <= f.begin);
    }

    quillon::MelodyCheck incremental;
    check(incremental.read(text) == melody);
    const std::u16string changed = edited(text, data, size);
    check(incremental.read(changed) == quillon::readMelody(changed));
    check(incremental.read(text) == melody);

    // A few played codes through the stream at a low rate keep each run short: it gives their
    // whole length, and nothing but silence and the square wave's two levels.
    auto codes = quillon::playedCodes(melody);
    check(std::find(codes.begin(), codes.end(), 0) == codes.end());
    codes.resize(std::min<std::size_t>(codes.size(), 16));
    std::int64_t millis = 0;
    for (quillon::MusicCode code : codes) {
        millis += quillon::durationMillis(quillon::durationCode(code));
    }
    quillon::MelodyStream stream(
        std::make_shared<const std::vector<quillon::MusicCode>>(std::move(codes)), 1000);
    std::int16_t chunk[97];
    std::int64_t frames = 0;
    for (std::size_t got = std::size(chunk); got == std::size(chunk);) {
        got = stream.fill(chunk);
        frames += static_cast<std::int64_t>(got);
        for (std::size_t i = 0; i < got; ++i) {
            check(chunk[i] == 0 || chunk[i] == quillon::kSquareAmplitude ||
                  chunk[i] == -quillon::kSquareAmplitude);
        }
    }
    check(frames == millis);
    return 0;
}
