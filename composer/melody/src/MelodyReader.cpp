#include "quillon/MelodyReader.h"

#include "quillon/SoundConvention.h"

#include <algorithm>
#include <limits>

namespace quillon {
namespace {

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();

bool isLineBreak(char16_t c) {
    return c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029;
}

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || isLineBreak(c);
}

// Above any base, so that a non-digit fails the base check.
int digitValue(char16_t c) {
    return hexDigitValue(c).value_or(99);
}

bool isIntegerSuffix(std::u16string_view s) {
    // u and l in either order, l doubled only in one case: what C allows on an integer constant.
    static constexpr std::u16string_view suffixes[] = {
        u"",   u"u",  u"U",  u"l",   u"L",   u"ll",  u"LL",  u"ul",  u"uL",  u"Ul",  u"UL",  u"lu",
        u"lU", u"Lu", u"LU", u"ull", u"uLL", u"Ull", u"ULL", u"llu", u"llU", u"LLu", u"LLU",
    };
    return std::find(std::begin(suffixes), std::end(suffixes), s) != std::end(suffixes);
}

// The value of a C integer literal, saturated; false when the token is not one.
bool parseLiteral(std::u16string_view token, std::uint64_t& value) {
    if (token.empty() || token[0] < u'0' || token[0] > u'9') {
        return false;
    }
    unsigned base = 10;
    std::size_t k = 0;
    if (token[0] == u'0' && token.size() > 1 && (token[1] == u'x' || token[1] == u'X')) {
        base = 16;
        k = 2;
    } else if (token[0] == u'0') {
        base = 8;
    }
    const std::size_t firstDigit = k;
    std::uint64_t v = 0;
    for (; k < token.size(); ++k) {
        const auto d = static_cast<unsigned>(digitValue(token[k]));
        if (d >= base) {
            break;
        }
        v = v > (kSaturated - d) / base ? kSaturated : v * base + d;
    }
    if (k == firstDigit || !isIntegerSuffix(token.substr(k))) {
        return false;
    }
    value = v;
    return true;
}

class Reader {
public:
    explicit Reader(std::u16string_view text) : text_(text) {}

    Melody read() {
        if (!findOpeningBrace()) {
            add(FindingKind::NoOpeningBrace, firstLine());
            finish();
            return std::move(melody_);
        }
        readElements();
        finish();
        return std::move(melody_);
    }

private:
    struct Span {
        std::size_t begin;
        std::size_t end;
    };

    // What the next token may be, for the comma findings. After a token that is no literal
    // nothing is judged: the user is mid-typing there and one underline is enough.
    enum class Expect { Element, Comma, Either };

    void add(FindingKind kind, Span span) {
        melody_.findings.push_back({kind, span.begin, span.end});
    }

    bool startsComment(std::size_t i, char16_t second) const {
        return text_[i] == u'/' && i + 1 < text_.size() && text_[i + 1] == second;
    }

    // Skips a comment that starts at pos_, if one does; an open /* is reported and ends reading.
    bool skipComment() {
        if (startsComment(pos_, u'/')) {
            while (pos_ < text_.size() && !isLineBreak(text_[pos_])) {
                ++pos_;
            }
            return true;
        }
        if (startsComment(pos_, u'*')) {
            const std::size_t close = text_.find(u"*/", pos_ + 2);
            if (close == std::u16string_view::npos) {
                add(FindingKind::OpenComment, {pos_, text_.size()});
                openComment_ = true;
                pos_ = text_.size();
            } else {
                pos_ = close + 2;
            }
            return true;
        }
        return false;
    }

    bool findOpeningBrace() {
        while (pos_ < text_.size()) {
            if (skipComment()) {
                continue;
            }
            if (text_[pos_++] == u'{') {
                return true;
            }
        }
        return false;
    }

    bool endsToken(std::size_t i) const {
        const char16_t c = text_[i];
        return isSpace(c) || c == u',' || c == u'{' || c == u'}' || startsComment(i, u'/') ||
               startsComment(i, u'*');
    }

    void readElements() {
        Expect expect = Expect::Element;
        bool ended = false;
        while (pos_ < text_.size()) {
            const char16_t c = text_[pos_];
            if (isSpace(c)) {
                ++pos_;
            } else if (skipComment()) {
            } else if (c == u'}') {
                if (!ended) {
                    add(FindingKind::NoEndBeforeBrace, {pos_, pos_ + 1});
                }
                closed_ = true;
                break;
            } else if (c == u',') {
                if (expect == Expect::Element) {
                    add(FindingKind::ExtraComma, {pos_, pos_ + 1});
                }
                expect = Expect::Element;
                ++pos_;
            } else if (c == u'{') {
                lastToken_ = {pos_, pos_ + 1};
                add(FindingKind::NotALiteral, lastToken_);
                expect = Expect::Either;
                ++pos_;
            } else {
                const std::size_t begin = pos_;
                while (pos_ < text_.size() && !endsToken(pos_)) {
                    ++pos_;
                }
                lastToken_ = {begin, pos_};
                std::uint64_t value = 0;
                if (!parseLiteral(text_.substr(begin, pos_ - begin), value)) {
                    add(FindingKind::NotALiteral, lastToken_);
                    expect = Expect::Either;
                    continue;
                }
                if (expect == Expect::Comma) {
                    add(FindingKind::MissingComma, lastToken_);
                }
                expect = Expect::Comma;
                element(value, ended);
            }
        }
        if (!ended) {
            melody_.played = melody_.elements.size();
        }
        if (!closed_ && !openComment_) {
            add(FindingKind::NoClosingBrace, lastToken_.end > 0 ? lastToken_ : lastNonBlank());
        }
    }

    void element(std::uint64_t value, bool& ended) {
        const auto code = static_cast<MusicCode>(value & 0xff);
        const Span span = lastToken_;
        melody_.elements.push_back({code, span.begin, span.end});
        if (value > 255) {
            add(FindingKind::ValueTooLarge, span);
        }
        if (ended) {
            add(FindingKind::AfterEnd, span);
        } else if (code == 0) {
            ended = true;
            melody_.played = melody_.elements.size() - 1;
        } else if (const int index = noteIndex(code);
                   index >= kPitchedNotes && index < kRestIndex) {
            add(FindingKind::NoPitch, span);
        }
    }

    // The first line that holds anything but white space, without its surrounding blanks.
    Span firstLine() const {
        std::size_t begin = 0;
        while (begin < text_.size() && isSpace(text_[begin])) {
            ++begin;
        }
        if (begin == text_.size()) {
            return {0, text_.size()};
        }
        std::size_t end = begin;
        while (end < text_.size() && !isLineBreak(text_[end])) {
            ++end;
        }
        while (isSpace(text_[end - 1])) {
            --end;
        }
        return {begin, end};
    }

    // The last character that is not white space, a surrogate pair kept whole.
    Span lastNonBlank() const {
        std::size_t end = text_.size();
        while (end > 0 && isSpace(text_[end - 1])) {
            --end;
        }
        if (end == 0) {
            return {0, text_.size()};
        }
        std::size_t begin = end - 1;
        const bool lowHalf = text_[begin] >= 0xdc00 && text_[begin] <= 0xdfff;
        if (lowHalf && begin > 0 && text_[begin - 1] >= 0xd800 && text_[begin - 1] <= 0xdbff) {
            --begin;
        }
        return {begin, end};
    }

    void finish() {
        std::stable_sort(melody_.findings.begin(), melody_.findings.end(),
                         [](const Finding& a, const Finding& b) {
                             return a.begin != b.begin ? a.begin < b.begin : a.kind < b.kind;
                         });
    }

    std::u16string_view text_;
    std::size_t pos_ = 0;
    Span lastToken_{0, 0};
    bool closed_ = false;
    bool openComment_ = false;
    Melody melody_;
};

} // namespace

Melody readMelody(std::u16string_view text) {
    return Reader(text).read();
}

std::vector<MusicCode> playedCodes(const Melody& melody) {
    std::vector<MusicCode> codes;
    const std::size_t n = std::min(melody.played, melody.elements.size());
    codes.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        codes.push_back(melody.elements[i].code);
    }
    return codes;
}

} // namespace quillon
