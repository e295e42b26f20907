#include "quillon/Transpose.h"

#include "Constants.h"

#include "quillon/MelodyReader.h"

#include <string>

namespace quillon {
namespace {

constexpr int kHighestNote = 27;
constexpr std::uint64_t kLargestCode = 255;

// An integer literal taken apart: prefix ("0x", "0B", "0" for octal, "" for decimal), digits,
// suffix ("u", "UL", ...).
struct Literal {
    std::u16string_view prefix;
    std::u16string_view digits;
    std::u16string_view suffix;
    unsigned base = 10;
};

Literal split(std::u16string_view text) {
    Literal literal;
    std::size_t digitsAt = 0;
    if (text.size() > 1 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        literal.base = 16;
        digitsAt = 2;
    } else if (text.size() > 1 && text[0] == u'0' && (text[1] == u'b' || text[1] == u'B')) {
        literal.base = 2;
        digitsAt = 2;
    } else if (text.size() > 1 && text[0] == u'0') {
        literal.base = 8;
        digitsAt = 1;
    }
    std::size_t end = digitsAt;
    while (end < text.size() &&
           hexDigitValue(text[end]).value_or(16) < static_cast<int>(literal.base)) {
        ++end;
    }
    literal.prefix = text.substr(0, digitsAt);
    literal.digits = text.substr(digitsAt, end - digitsAt);
    literal.suffix = text.substr(end);
    return literal;
}

bool upperCaseDigits(std::u16string_view digits) {
    bool upper = false;
    for (const char16_t ch : digits) {
        if (ch >= u'a' && ch <= u'f') {
            return false;
        }
        upper = upper || (ch >= u'A' && ch <= u'F');
    }
    return upper;
}

// `value` spelt as `old` is: same base, prefix and suffix, digit case, and width where a
// leading zero is harmless.
std::u16string respell(const Literal& old, unsigned value) {
    const char16_t* digitSet =
        upperCaseDigits(old.digits) ? u"0123456789ABCDEF" : u"0123456789abcdef";
    std::u16string digits;
    do {
        digits.insert(digits.begin(), digitSet[value % old.base]);
        value /= old.base;
    } while (value > 0);
    if (old.base != 10 && digits.size() < old.digits.size()) {
        digits.insert(0, old.digits.size() - digits.size(), u'0');
    }
    std::u16string spelt(old.prefix);
    spelt += digits;
    spelt += old.suffix;
    return spelt;
}

} // namespace

Transposition transpose(std::u16string_view text, TextSpan selection, int step) {
    Transposition result;
    result.selection = selection;
    const bool whole = selection.begin >= selection.end;
    // Where an edge of the selection goes when [begin, end) became `written` code units long.
    const auto follow = [](std::size_t& edge, std::size_t begin, std::size_t end,
                           std::size_t written, std::size_t from) {
        if (from >= end) {
            edge = edge + written - (end - begin);
        } else if (from > begin) {
            edge = begin + written;
        }
    };
    const Melody melody = readMelody(text);
    // The moved notes, written into the text between the first and the last of them.
    std::size_t first = 0;
    std::size_t copiedTo = 0;
    std::u16string rewritten;
    for (const MelodyElement& element : melody.elements) {
        if (!whole && (element.begin < selection.begin || element.end > selection.end)) {
            continue;
        }
        const std::u16string_view item = text.substr(element.begin, element.end - element.begin);
        const std::optional<detail::ConstantValue> value = detail::integerConstant(item);
        if (!value || value->outOfRange || value->bits == 0 || value->bits > kLargestCode) {
            continue;
        }
        const auto code = static_cast<int>(value->bits);
        if (noteIndex(static_cast<MusicCode>(code)) > kHighestNote) {
            continue;
        }
        const int index = noteIndex(static_cast<MusicCode>(code)) + step;
        if (index < 0 || index > kHighestNote) {
            ++result.stayed;
            continue;
        }
        if (result.moved == 0) {
            first = element.begin;
        } else {
            rewritten.append(text.substr(copiedTo, element.begin - copiedTo));
        }
        const std::u16string spelt =
            respell(split(item),
                    static_cast<unsigned>(index * 8 + durationCode(static_cast<MusicCode>(code))));
        rewritten += spelt;
        copiedTo = element.end;
        follow(result.selection.begin, element.begin, element.end, spelt.size(), selection.begin);
        follow(result.selection.end, element.begin, element.end, spelt.size(), selection.end);
        ++result.moved;
    }
    if (result.moved > 0) {
        TextChange change = changeBetween(text.substr(first, copiedTo - first), rewritten);
        change.at += first;
        result.change = std::move(change);
    }
    return result;
}

} // namespace quillon
