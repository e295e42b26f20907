#include "InitializerReader.h"

#include "CharacterClasses.h"
#include "Constants.h"
#include "Declaration.h"

#include "quillon/SoundConvention.h"

#include <algorithm>

namespace quillon::detail {
namespace {

// What the next token may be, for the comma findings. After a token that is no constant
// nothing is judged: the user is mid-typing there and one underline is enough.
enum Expect : std::uint8_t { kElement, kComma, kEither };

// How far apart the saved states lie, in code units: reading this much again costs less than
// saving a state per element would.
constexpr std::size_t kCheckpointSpacing = 256;

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// gcc takes $ into identifiers too. Letters beyond ASCII only gcc 10 and later take, and the
// avr-gcc of the firmware is older: they are no word here.
bool isWordChar(char16_t c) {
    return isLetter(c) || isDigit(c) || c == u'_' || c == u'$';
}

bool inOrder(const Finding& a, const Finding& b) {
    return a.begin != b.begin ? a.begin < b.begin : a.kind < b.kind;
}

} // namespace

// An element being read: constants joined by + and -, each with its signs, summed as the
// compiler folds them.
struct InitializerReader::Expression {
    ConstantValue sum;
    bool expectOperand = true;
    bool negate = false;
    bool subtract = false;
    // One hexadecimal, decimal or octal literal alone: what the composer writes.
    bool composerForm = true;

    void sign(char16_t c) {
        composerForm = false;
        if (expectOperand) {
            negate = negate != (c == u'-');
        } else {
            subtract = c == u'-';
            expectOperand = true;
        }
    }

    void operand(ConstantValue v) {
        if (negate) {
            v.bits = 0 - v.bits;
            v.exact = -v.exact;
        }
        if (subtract) {
            sum.bits -= v.bits;
            sum.exact -= v.exact;
        } else {
            sum.bits += v.bits;
            sum.exact += v.exact;
        }
        sum.outOfRange = sum.outOfRange || v.outOfRange;
        if (sum.exact > kExactLimit || sum.exact < -kExactLimit) {
            sum.outOfRange = true;
            sum.exact = std::clamp(sum.exact, -kExactLimit, kExactLimit);
        }
        negate = subtract = expectOperand = false;
    }

    // gcc stores values of -128..255 in an unsigned char without a word; others it warns about.
    bool tooLarge() const { return sum.outOfRange || sum.exact < -128 || sum.exact > 255; }
};

InitializerReader::InitializerReader(std::u16string_view text, Melody& melody,
                                     std::vector<ReaderCheckpoint>* checkpoints)
    : text_(text), melody_(melody), checkpoints_(checkpoints) {}

void InitializerReader::read() {
    if (!findOpeningBrace()) {
        add(FindingKind::NoOpeningBrace, firstLine());
        melody_.played = 0;
        return;
    }
    checkpoint(true);
    readElements();
    finish();
}

void InitializerReader::readFrom(const ReaderState& state) {
    s_ = state;
    lastCheckpoint_ = state.pos;
    readElements();
    finish();
}

std::size_t InitializerReader::add(FindingKind kind, Span span) {
    const Finding f{kind, span.begin, span.end};
    auto& all = melody_.findings;
    // Nearly always in order already; the few that are not go to their place.
    if (all.empty() || !inOrder(f, all.back())) {
        all.push_back(f);
        return all.size() - 1;
    }
    const auto at = std::upper_bound(all.begin(), all.end(), f, inOrder);
    const auto index = at - all.begin(); // before the insert, which may move the findings
    all.insert(at, f);
    return static_cast<std::size_t>(index);
}

bool InitializerReader::startsComment(std::size_t i, char16_t second) const {
    return text_[i] == u'/' && i + 1 < text_.size() && text_[i + 1] == second;
}

bool InitializerReader::skipComment() {
    std::size_t& pos = s_.pos;
    if (startsComment(pos, u'/')) {
        while (pos < text_.size() && !isLineBreak(text_[pos])) {
            ++pos;
        }
        return true;
    }
    if (startsComment(pos, u'*')) {
        const std::size_t close = text_.find(u"*/", pos + 2);
        if (close == std::u16string_view::npos) {
            add(FindingKind::OpenComment, {pos, text_.size()});
            openComment_ = true;
            pos = text_.size();
        } else {
            pos = close + 2;
        }
        return true;
    }
    return false;
}

QuotedSpan InitializerReader::quoted(std::size_t at) {
    // A quote inside the stretch that an open quote of its kind before it scanned is open too:
    // it was escaped there, and from the character after it on both read the line alike and
    // meet no closing quote. Knowing that keeps a line of \' \' \' ... from being scanned
    // once per quote.
    Span& open = openQuote_[text_[at] == u'"' ? 1 : 0];
    if (at > open.begin && at < open.end) {
        return {false, open.end};
    }
    const QuotedSpan span = quotedSpan(text_, at);
    if (!span.closed) {
        open = {at, span.end};
    }
    // An open quote looked as far as its line break; one open to the end of the text would
    // close in a text that goes on, so it holds for no other text.
    const std::size_t looked = span.closed               ? span.end
                               : span.end < text_.size() ? span.end + 1
                                                         : npos;
    s_.horizon = std::max(s_.horizon, looked);
    return span;
}

std::size_t InitializerReader::quotedEnd(std::size_t at) {
    const QuotedSpan span = quoted(at);
    return span.closed ? span.end : npos;
}

// A preprocessor line, from its "#" to the line break, which stays for the caller; a backslash
// at the end of the line carries it on. Its quotes and comments are skipped whole, so that a
// brace in them is no brace.
void InitializerReader::skipDirective() {
    std::size_t& pos = s_.pos;
    while (pos < text_.size() && !isLineBreak(text_[pos])) {
        const char16_t c = text_[pos];
        if (c == u'\\' && pos + 1 < text_.size() && isLineBreak(text_[pos + 1])) {
            pos += 2;
            if (text_[pos - 1] == u'\r' && pos < text_.size() && text_[pos] == u'\n') {
                ++pos;
            }
        } else if (skipComment()) {
        } else if (c == u'"' || c == u'\'') {
            const std::size_t end = quotedEnd(pos);
            pos = end != npos ? end : pos + 1;
        } else {
            ++pos;
        }
    }
}

// Skips to just past the first "{" outside comments, quotes and preprocessor lines, and judges
// what stands before it.
bool InitializerReader::findOpeningBrace() {
    std::size_t& pos = s_.pos;
    std::vector<PrefixToken> tokens;
    bool lineStart = true;
    while (pos < text_.size()) {
        const char16_t c = text_[pos];
        if (isLineBreak(c)) {
            lineStart = true;
            ++pos;
            continue;
        }
        if (isSpace(c)) {
            ++pos;
            continue;
        }
        if (skipComment()) {
            continue;
        }
        if (c == u'#' && lineStart) {
            skipDirective();
            continue;
        }
        lineStart = false;
        const std::size_t begin = pos;
        if (c == u'{') {
            ++pos;
            for (const Finding& f : checkDeclarations(tokens)) {
                add(f.kind, {f.begin, f.end});
            }
            return true;
        }
        if (c == u'"' || c == u'\'') {
            if (const std::size_t end = quotedEnd(pos); end != npos) {
                tokens.push_back({PrefixToken::Type::Quoted, 0, begin, end});
                pos = end;
                continue;
            }
        }
        if (isWordChar(c)) {
            while (pos < text_.size() && isWordChar(text_[pos])) {
                ++pos;
            }
            tokens.push_back(
                {isDigit(c) ? PrefixToken::Type::Number : PrefixToken::Type::Word, 0, begin, pos});
            continue;
        }
        tokens.push_back({PrefixToken::Type::Punct, c, begin, ++pos});
    }
    return false;
}

bool InitializerReader::endsRun(std::size_t i) const {
    const char16_t c = text_[i];
    return isSpace(c) || c == u',' || c == u'{' || c == u'}' || startsComment(i, u'/') ||
           startsComment(i, u'*');
}

// A run of characters up to white space, a comma, a brace or a comment; a character constant
// in it is taken whole, so that ',' does not end it.
std::size_t InitializerReader::runEnd(std::size_t from) {
    std::size_t i = from;
    while (i < text_.size() && !endsRun(i)) {
        if (text_[i] == u'\'') {
            if (const std::size_t end = quotedEnd(i); end != npos) {
                i = end;
                continue;
            }
        }
        ++i;
    }
    return i;
}

// The C tokens of the run [pos, end) into the element being read: signs, + and -, integer and
// character constants. False when they are anything else or out of place.
bool InitializerReader::readRun(std::size_t end, Expression& e) {
    char16_t lastSign = 0;
    for (std::size_t i = s_.pos; i < end;) {
        const char16_t c = text_[i];
        if (c == u'+' || c == u'-') {
            if (c == lastSign) {
                return false; // "++" and "--" are other operators
            }
            e.sign(c);
            lastSign = c;
            ++i;
            continue;
        }
        lastSign = 0;
        if (!e.expectOperand) {
            return false;
        }
        std::size_t j = i + 1;
        std::optional<ConstantValue> value;
        if (isDigit(c) || (c == u'.' && j < end && isDigit(text_[j]))) {
            // A preprocessing number: what the compiler takes as one before it reads its value.
            while (j < end) {
                const char16_t d = text_[j];
                const bool exponent = d == u'e' || d == u'E' || d == u'p' || d == u'P';
                if (exponent && j + 1 < end && (text_[j + 1] == u'+' || text_[j + 1] == u'-')) {
                    j += 2;
                } else if (isLetter(d) || isDigit(d) || d == u'_' || d == u'.') {
                    ++j;
                } else {
                    break;
                }
            }
            value = integerConstant(text_.substr(i, j - i));
            if (c == u'0' && j - i > 1 && (text_[i + 1] == u'b' || text_[i + 1] == u'B')) {
                e.composerForm = false;
            }
        } else if (c == u'\'' ||
                   ((c == u'L' || c == u'u' || c == u'U') && j < end && text_[j] == u'\'')) {
            const QuotedSpan span = quoted(c == u'\'' ? i : j);
            if (!span.closed || span.end > end) {
                return false;
            }
            j = span.end;
            value = characterConstant(text_.substr(i, j - i));
            e.composerForm = false;
        }
        if (!value) {
            return false;
        }
        e.operand(*value);
        i = j;
    }
    return true;
}

// White space and comments between the parts of an element, and after it.
void InitializerReader::skipBlanks() {
    while (s_.pos < text_.size()) {
        if (isSpace(text_[s_.pos])) {
            ++s_.pos;
        } else if (!skipComment()) {
            return;
        }
    }
}

void InitializerReader::readElements() {
    std::size_t& pos = s_.pos;
    while (pos < text_.size()) {
        const char16_t c = text_[pos];
        if (isSpace(c)) {
            ++pos;
            checkpoint(false);
        } else if (skipComment()) {
        } else if (c == u'}') {
            if (!s_.ended) {
                add(FindingKind::NoEndBeforeBrace, {pos, pos + 1});
            }
            closed_ = true;
            break;
        } else if (c == u',') {
            if (s_.expect == kElement) {
                add(FindingKind::ExtraComma, {pos, pos + 1});
            }
            s_.expect = kElement;
            ++pos;
            checkpoint(false);
        } else if (c == u'{') {
            s_.lastTokenBegin = pos;
            s_.lastTokenEnd = pos + 1;
            add(FindingKind::NotALiteral, {pos, pos + 1});
            s_.expect = kEither;
            ++pos;
        } else {
            readElement();
        }
    }
}

// One element: runs joined by signs across white space and comments ("- 1", "0x10 -1"), up to
// where no sign joins the next run. What follows it up to the next token is skipped too, so
// that no state is saved between the element and what it looked at.
void InitializerReader::readElement() {
    const std::size_t begin = s_.pos;
    std::size_t end = begin;
    Expression e;
    bool ok = true;
    for (;;) {
        const std::size_t stop = runEnd(s_.pos);
        ok = readRun(stop, e);
        s_.pos = end = stop;
        if (!ok) {
            break;
        }
        skipBlanks();
        if (s_.pos == text_.size()) {
            ok = !e.expectOperand;
            break;
        }
        const char16_t next = text_[s_.pos];
        if (e.expectOperand) {
            ok = next != u',' && next != u'{' && next != u'}';
            if (!ok) {
                break;
            }
        } else if (next != u'+' && next != u'-') {
            break;
        }
    }
    s_.lastTokenBegin = begin;
    s_.lastTokenEnd = end;
    if (!ok) {
        add(FindingKind::NotALiteral, {begin, end});
        s_.expect = kEither;
        return;
    }
    const bool missingComma = s_.expect == kComma;
    s_.expect = kComma;
    element(e, {begin, end}, missingComma);
}

void InitializerReader::element(const Expression& e, Span span, bool missingComma) {
    const auto code = static_cast<MusicCode>(e.sum.bits & 0xff);
    melody_.elements.push_back({code, span.begin, span.end});
    // In the order of FindingKind, so that they need no sorting.
    if (e.tooLarge()) {
        add(FindingKind::ValueTooLarge, span);
    }
    if (s_.ended) {
        add(FindingKind::AfterEnd, span);
    } else if (code == 0) {
        s_.ended = true;
        s_.played = melody_.elements.size() - 1;
    } else if (const int index = noteIndex(code); index >= kPitchedNotes && index < kRestIndex) {
        add(FindingKind::NoPitch, span);
    }
    if (missingComma) {
        add(FindingKind::MissingComma, span);
    }
    if (!e.composerForm) {
        add(FindingKind::NotAComposerCode, span);
    }
}

// Saves the state between two elements, where everything before pos is read and nothing after
// it has been looked at, except what horizon says.
void InitializerReader::checkpoint(bool always) {
    if (checkpoints_ == nullptr || (!always && s_.pos - lastCheckpoint_ < kCheckpointSpacing)) {
        return;
    }
    ReaderState state = s_;
    state.horizon = std::max(state.horizon, state.pos);
    checkpoints_->push_back({state, melody_.elements.size(), melody_.findings.size()});
    lastCheckpoint_ = s_.pos;
}

void InitializerReader::finish() {
    melody_.played = s_.ended ? s_.played : melody_.elements.size();
    if (!closed_ && !openComment_) {
        const Span last =
            s_.lastTokenEnd > 0 ? Span{s_.lastTokenBegin, s_.lastTokenEnd} : lastNonBlank();
        lateFinding_ = add(FindingKind::NoClosingBrace, last);
    }
}

// The first line that holds anything but white space, without its surrounding blanks.
InitializerReader::Span InitializerReader::firstLine() const {
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
InitializerReader::Span InitializerReader::lastNonBlank() const {
    std::size_t end = text_.size();
    while (end > 0 && isSpace(text_[end - 1])) {
        --end;
    }
    if (end == 0) {
        return {0, text_.size()};
    }
    std::size_t begin = end - 1;
    if (isLowSurrogate(text_[begin]) && begin > 0 && isHighSurrogate(text_[begin - 1])) {
        --begin;
    }
    return {begin, end};
}

} // namespace quillon::detail
