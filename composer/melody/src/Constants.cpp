#include "Constants.h"

#include "CharacterClasses.h"

#include "quillon/MusicCode.h"

#include <algorithm>
#include <limits>

namespace quillon::detail {
namespace {

constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();

// Above any base, so that a non-digit fails the base check.
unsigned digitValue(char16_t c) {
    return static_cast<unsigned>(hexDigitValue(c).value_or(99));
}

bool isIntegerSuffix(std::u16string_view s) {
    // u and l in either order, l doubled only in one case: what C allows on an integer constant.
    static constexpr std::u16string_view suffixes[] = {
        u"",   u"u",  u"U",  u"l",   u"L",   u"ll",  u"LL",  u"ul",  u"uL",  u"Ul",  u"UL",  u"lu",
        u"lU", u"Lu", u"LU", u"ull", u"uLL", u"Ull", u"ULL", u"llu", u"llU", u"LLu", u"LLU",
    };
    return std::find(std::begin(suffixes), std::end(suffixes), s) != std::end(suffixes);
}

ConstantValue fromSigned(std::int64_t v, bool outOfRange) {
    return {static_cast<std::uint64_t>(v), v, outOfRange};
}

// The characters of a character constant, each as the compiler counts it: a byte of a plain
// constant, a code unit value of a prefixed one.
class CharacterSequence {
public:
    // width: 8 for a plain constant, else the bits of the prefixed character type.
    explicit CharacterSequence(unsigned width) : width_(width) {}

    // One character of the source (a code point), UTF-8 bytes in a plain constant.
    void codePoint(std::uint32_t cp) {
        if (width_ > 8) {
            value(cp);
        } else if (cp < 0x80) {
            byte(cp);
        } else if (cp < 0x800) {
            byte(0xc0 | cp >> 6);
            byte(0x80 | (cp & 0x3f));
        } else if (cp < 0x10000) {
            byte(0xe0 | cp >> 12);
            byte(0x80 | (cp >> 6 & 0x3f));
            byte(0x80 | (cp & 0x3f));
        } else {
            byte(0xf0 | cp >> 18);
            byte(0x80 | (cp >> 12 & 0x3f));
            byte(0x80 | (cp >> 6 & 0x3f));
            byte(0x80 | (cp & 0x3f));
        }
    }

    // An escape's value: one character, cut to the width with a warning when it is wider.
    void value(std::uint64_t v, bool overflowed = false) {
        const std::uint64_t mask = (std::uint64_t{1} << width_) - 1;
        if (overflowed || v > mask) {
            outOfRange_ = true;
        }
        if (width_ == 8) {
            byte(static_cast<std::uint32_t>(v & mask));
        } else {
            last_ = v & mask;
            ++count_;
        }
    }

    std::optional<ConstantValue> result(bool signedWide) const {
        if (count_ == 0) {
            return std::nullopt;
        }
        if (width_ > 8) {
            // A prefixed constant of several characters has its last one's value (with a
            // warning that it is too long).
            const auto v = signedWide ? static_cast<std::int64_t>(static_cast<std::int32_t>(
                                            static_cast<std::uint32_t>(last_)))
                                      : static_cast<std::int64_t>(last_);
            return fromSigned(v, outOfRange_);
        }
        // One byte is a (signed) char; more are packed into an int, the last byte lowest.
        const auto v = count_ == 1 ? std::int64_t{static_cast<std::int8_t>(packed_ & 0xff)}
                                   : std::int64_t{static_cast<std::int32_t>(packed_)};
        return fromSigned(v, outOfRange_);
    }

private:
    void byte(std::uint32_t b) {
        packed_ = packed_ << 8 | (b & 0xff);
        ++count_;
    }

    unsigned width_;
    std::uint32_t packed_ = 0;
    std::uint64_t last_ = 0;
    std::size_t count_ = 0;
    bool outOfRange_ = false;
};

// Reads the escape after the backslash at s[i]; false when gcc rejects it. Leaves i on the
// escape's last character.
bool readEscape(std::u16string_view s, std::size_t& i, CharacterSequence& chars) {
    if (i + 1 >= s.size()) {
        return false;
    }
    const char16_t e = s[++i];
    switch (e) {
    case u'a':
        chars.value(7);
        return true;
    case u'b':
        chars.value(8);
        return true;
    case u'f':
        chars.value(12);
        return true;
    case u'n':
        chars.value(10);
        return true;
    case u'r':
        chars.value(13);
        return true;
    case u't':
        chars.value(9);
        return true;
    case u'v':
        chars.value(11);
        return true;
    case u'e': // GNU: escape
    case u'E':
        chars.value(27);
        return true;
    default:
        break;
    }
    if (e >= u'0' && e <= u'7') {
        std::uint64_t v = 0;
        for (int n = 0; n < 3 && i < s.size() && s[i] >= u'0' && s[i] <= u'7'; ++n, ++i) {
            v = v * 8 + (s[i] - u'0');
        }
        --i;
        chars.value(v);
        return true;
    }
    if (e == u'x') {
        std::uint64_t v = 0;
        bool overflowed = false;
        std::size_t digits = 0;
        for (; i + 1 < s.size() && digitValue(s[i + 1]) < 16; ++i, ++digits) {
            overflowed = overflowed || v > kMax64 >> 4;
            v = v << 4 | digitValue(s[i + 1]);
        }
        if (digits == 0) {
            return false;
        }
        chars.value(v, overflowed);
        return true;
    }
    if (e == u'u' || e == u'U') {
        const std::size_t want = e == u'u' ? 4 : 8;
        std::uint32_t cp = 0;
        for (std::size_t n = 0; n < want; ++n) {
            if (i + 1 >= s.size() || digitValue(s[i + 1]) >= 16) {
                return false;
            }
            cp = cp << 4 | digitValue(s[++i]);
        }
        // C allows no universal character below U+00A0 but $, @ and `, and no surrogate.
        const bool basic = cp < 0xa0 && cp != 0x24 && cp != 0x40 && cp != 0x60;
        if (basic || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff) {
            return false;
        }
        chars.codePoint(cp);
        return true;
    }
    // \' \" \? \\ stand for themselves; gcc warns about any other escape and takes the
    // character as it is.
    if (isHighSurrogate(e) && i + 1 < s.size() && isLowSurrogate(s[i + 1])) {
        chars.codePoint(0x10000 + ((e - 0xd800u) << 10) + (s[++i] - 0xdc00u));
        return true;
    }
    if (isHighSurrogate(e) || isLowSurrogate(e)) {
        return false;
    }
    chars.codePoint(e);
    return true;
}

} // namespace

QuotedSpan quotedSpan(std::u16string_view text, std::size_t at) {
    const char16_t quote = text[at];
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (isLineBreak(c)) {
            return {false, i};
        }
        if (c == quote) {
            return {true, i + 1};
        }
        if (c == u'\\' && i + 1 < text.size() && !isLineBreak(text[i + 1])) {
            ++i;
        }
    }
    return {false, text.size()};
}

std::optional<ConstantValue> integerConstant(std::u16string_view t) {
    if (t.empty() || t[0] < u'0' || t[0] > u'9') {
        return std::nullopt;
    }
    unsigned base = 10;
    std::size_t k = 0;
    if (t[0] == u'0' && t.size() > 1 && (t[1] == u'x' || t[1] == u'X')) {
        base = 16;
        k = 2;
    } else if (t[0] == u'0' && t.size() > 1 && (t[1] == u'b' || t[1] == u'B')) {
        base = 2;
        k = 2;
    } else if (t[0] == u'0') {
        base = 8;
    }
    const std::size_t firstDigit = k;
    std::uint64_t v = 0;
    bool overflowed = false;
    for (; k < t.size(); ++k) {
        const unsigned d = digitValue(t[k]);
        if (d >= base) {
            break;
        }
        overflowed = overflowed || v > (kMax64 - d) / base;
        v = v * base + d; // gcc keeps the value modulo 2^64, with a warning
    }
    if (k == firstDigit || !isIntegerSuffix(t.substr(k))) {
        return std::nullopt;
    }
    const bool big = overflowed || v >= static_cast<std::uint64_t>(kExactLimit);
    return ConstantValue{v, big ? kExactLimit : static_cast<std::int64_t>(v), big};
}

std::optional<ConstantValue> characterConstant(std::u16string_view t) {
    unsigned width = 8;
    std::size_t k = 0;
    if (!t.empty() && (t[0] == u'L' || t[0] == u'U' || t[0] == u'u')) {
        width = t[0] == u'u' ? 16 : 32;
        k = 1;
    }
    if (t.size() < k + 2 || t[k] != u'\'' || t.back() != u'\'') {
        return std::nullopt;
    }
    const std::u16string_view s = t.substr(k + 1, t.size() - k - 2);
    CharacterSequence chars(width);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'\\') {
            if (!readEscape(s, i, chars)) {
                return std::nullopt;
            }
        } else if (c == u'\'' || isLineBreak(c)) {
            return std::nullopt;
        } else if (isHighSurrogate(c) && i + 1 < s.size() && isLowSurrogate(s[i + 1])) {
            chars.codePoint(0x10000 + ((c - 0xd800u) << 10) + (s[++i] - 0xdc00u));
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            return std::nullopt; // no character of the source: the text cannot be saved as C
        } else {
            chars.codePoint(c);
        }
    }
    return chars.result(t[0] == u'L');
}

} // namespace quillon::detail
