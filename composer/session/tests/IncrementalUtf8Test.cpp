// The kept melody's UTF-8, updated from the earliest change on, against an encoder written here
// from the rules of UTF-8: every code point in one to four bytes, a surrogate pair as the one code
// point it stands for, an unpaired surrogate as U+FFFD.
#include "quillon/IncrementalUtf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace quillon {
namespace {

std::string modelUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xd800 && cp <= 0xdbff && i + 1 < text.size() && text[i + 1] >= 0xdc00 &&
            text[i + 1] <= 0xdfff) {
            cp = 0x10000 + ((cp - 0xd800) << 10) + (text[i + 1] - 0xdc00);
            ++i;
        } else if (cp >= 0xd800 && cp <= 0xdfff) {
            cp = 0xfffd;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xc0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3f));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xe0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
            out += static_cast<char>(0x80 | (cp & 0x3f));
        } else {
            out += static_cast<char>(0xf0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
            out += static_cast<char>(0x80 | (cp & 0x3f));
        }
    }
    return out;
}

TEST(IncrementalUtf8Test, EditsAnywhereGiveTheBytesOfTheWholeText) {
    EXPECT_EQ(modelUtf8(u"中\U0001D11E\xd834x"), "\xe4\xb8\xad\xf0\x9d\x84\x9e\xef\xbf\xbdx");

    // Code units of every width, and the halves of a pair apart, so that edits make and break
    // pairs, also where the encoder's blocks meet (every few thousand units).
    constexpr char16_t kUnits[] = {u'0',      u'x',      u',',   u'\r', u'\n',
                                   u'\u00e9', u'\u4e2d', 0xd834, 0xdd1e};
    const std::size_t kNearSeams[] = {4095, 4096, 4097, 8191, 8192, 8193};
    std::mt19937 random(20251208);
    const auto pick = [&](std::size_t below) {
        return std::uniform_int_distribution<std::size_t>(0, below - 1)(random);
    };

    IncrementalUtf8 encoded;
    std::u16string text;
    std::string before;
    for (int round = 0; round < 400; ++round) {
        // One to three edits between updates; most grow the text, the first rounds by a lot.
        std::size_t changedFrom = std::u16string::npos;
        const std::size_t edits = 1 + pick(3);
        for (std::size_t e = 0; e < edits; ++e) {
            std::size_t at = pick(text.size() + 1);
            if (pick(3) == 0) {
                at = std::min(kNearSeams[pick(std::size(kNearSeams))], text.size());
            } else if (pick(3) == 0) {
                at = text.size();
            }
            const std::size_t removed = std::min(pick(4), text.size() - at);
            std::u16string inserted;
            const std::size_t length = round < 20 ? 1000 + pick(1000) : pick(6);
            for (std::size_t i = 0; i < length; ++i) {
                inserted += kUnits[pick(std::size(kUnits))];
            }
            text.replace(at, removed, inserted);
            changedFrom = std::min(changedFrom, at);
        }
        const std::string expected = modelUtf8(text);
        ASSERT_EQ(encoded.update(text, changedFrom), expected != before) << "round " << round;
        ASSERT_EQ(encoded.bytes(), expected) << "round " << round;
        // Nothing changed since: nothing to do.
        ASSERT_FALSE(encoded.update(text, std::u16string::npos));
        before = expected;
    }
}

} // namespace
} // namespace quillon
