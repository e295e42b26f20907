#include "quillon/TextMirror.h"

#include "quillon/TextChange.h"
#include "quillon/TextCodec.h"

#include <algorithm>
#include <cstring>

namespace quillon {
namespace {

std::size_t countBreaks(std::u16string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\r'));
}

// Sets a flag for the length of a scope.
class Raised {
public:
    explicit Raised(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Raised() { flag_ = old_; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    bool& flag_;
    bool old_;
};

} // namespace

TextMirror::TextMirror(TextControl& control, TextMarks& marks)
    : control_(control), marksPort_(marks),
      oneUnitBreaks_(control.lineBreak() == LineBreak::OneUnit) {}

std::size_t TextMirror::controlLength() const {
    return oneUnitBreaks_ ? text_.size() - breaks_ : text_.size();
}

TextMirror::Edit TextMirror::write(std::size_t at, std::size_t removed,
                                   std::u16string_view inserted) {
    at = std::min(at, text_.size());
    removed = std::min(removed, text_.size() - at);
    // Never cut a line break in two: Qt's document holds it as one character. Widen the range
    // to whole breaks and put back what the widening takes.
    const auto betweenCrAndLf = [this](std::size_t i) {
        return i > 0 && i < text_.size() && text_[i - 1] == u'\r' && text_[i] == u'\n';
    };
    const std::size_t begin = betweenCrAndLf(at) ? at - 1 : at;
    const std::size_t end = betweenCrAndLf(at + removed) ? at + removed + 1 : at + removed;
    const std::u16string_view text(text_);
    std::u16string replacement(text.substr(begin, at - begin));
    replacement += inserted;
    replacement += text.substr(at + removed, end - at - removed);

    Edit edit{begin, std::u16string(text.substr(begin, end - begin)), withCrLf(replacement)};
    if (edit.removed == edit.inserted) {
        return edit;
    }
    std::u16string shown;
    if (oneUnitBreaks_) {
        shown.reserve(edit.inserted.size());
        std::copy_if(edit.inserted.begin(), edit.inserted.end(), std::back_inserter(shown),
                     [](char16_t ch) { return ch != u'\r'; });
    }
    {
        const Raised own(writing_);
        control_.replace(controlOffset(begin), controlOffset(end),
                         oneUnitBreaks_ ? std::u16string_view(shown) : edit.inserted);
    }
    apply(edit);
    return edit;
}

std::optional<TextMirror::Edit> TextMirror::controlEdited(std::size_t from, std::size_t removed,
                                                          std::u16string_view inserted,
                                                          std::size_t lengthAfter) {
    if (writing_) {
        return std::nullopt;
    }
    const std::size_t length = controlLength();
    if (from > length || removed > length - from ||
        length - removed + inserted.size() != lengthAfter) {
        return controlChanged();
    }
    const std::size_t begin = textIndex(from);
    std::size_t end = begin;
    if (oneUnitBreaks_) {
        for (std::size_t unit = 0; unit < removed && end < text_.size(); ++unit) {
            end += text_[end] == u'\r' ? 2 : 1;
        }
    } else {
        end = std::min(begin + removed, text_.size());
    }
    const std::u16string now = withCrLf(inserted);
    const std::u16string_view before = std::u16string_view(text_).substr(begin, end - begin);
    // The control may name more than changed (a whole word, a line re-laid out): only what
    // differs is the edit, never half a line break.
    const std::size_t shorter = std::min(before.size(), now.size());
    std::size_t prefix = 0;
    while (prefix < shorter && before[prefix] == now[prefix]) {
        ++prefix;
    }
    if (prefix > 0 && before[prefix - 1] == u'\r') {
        --prefix;
    }
    std::size_t suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
        ++suffix;
    }
    if (suffix > 0 && before[before.size() - suffix] == u'\n') {
        --suffix;
    }
    if (prefix + suffix == before.size() && prefix + suffix == now.size()) {
        return std::nullopt;
    }
    Edit edit{begin + prefix,
              std::u16string(before.substr(prefix, before.size() - prefix - suffix)),
              now.substr(prefix, now.size() - prefix - suffix)};
    apply(edit);
    return edit;
}

std::optional<TextMirror::Edit> TextMirror::controlChanged() {
    if (writing_) {
        return std::nullopt;
    }
    const std::u16string now = withCrLf(control_.controlText());
    TextChange change = changeBetween(text_, now);
    if (change.removed == 0 && change.inserted.empty()) {
        return std::nullopt;
    }
    Edit edit{change.at, text_.substr(change.at, change.removed), std::move(change.inserted)};
    apply(edit);
    return edit;
}

void TextMirror::apply(const Edit& edit) {
    breaks_ -= countBreaks(edit.removed);
    breaks_ += countBreaks(edit.inserted);
    text_.replace(edit.at, edit.removed.size(), edit.inserted);
    followEdit(marks_, {edit.at, edit.at + edit.removed.size(), edit.at + edit.inserted.size()});
}

std::size_t TextMirror::caret() const noexcept {
    return textIndex(control_.caret());
}

TextSpan TextMirror::selection() const noexcept {
    const TextSpan shown = control_.selection();
    return {textIndex(shown.begin), textIndex(shown.end)};
}

void TextMirror::select(std::size_t begin, std::size_t end) noexcept {
    control_.select(controlOffset(begin), controlOffset(end));
}

void TextMirror::setMarks(std::vector<TextMark> marks) {
    const std::vector<TextMark> changed = marksChanged(marks_, marks);
    marks_ = std::move(marks);
    if (changed.empty()) {
        return;
    }
    std::size_t begin = changed.front().begin;
    std::size_t end = changed.front().end;
    for (const TextMark& mark : changed) {
        begin = std::min(begin, mark.begin);
        end = std::max(end, mark.end);
    }
    marksPort_.marksChanged(controlOffset(begin), controlOffset(end));
}

std::vector<TextMark> TextMirror::marksWithin(std::size_t from, std::size_t to) const {
    std::vector<TextMark> shown;
    if (from >= to || marks_.empty()) {
        return shown;
    }
    const std::size_t begin = textIndex(from);
    const std::size_t end = textIndex(to);
    const std::span<const TextMark> within = quillon::marksWithin(marks_, begin, end);
    shown.reserve(within.size());
    // Sorted: one pass from the first offset converts them all, each cut at the range's edges.
    std::size_t index = begin;
    std::size_t offset = from;
    const auto offsetOf = [&](std::size_t at) {
        at = std::clamp(at, index, end);
        if (oneUnitBreaks_) {
            const std::u16string_view passed = std::u16string_view(text_).substr(index, at - index);
            offset += passed.size() - countBreaks(passed);
        } else {
            offset += at - index;
        }
        index = at;
        return offset;
    };
    for (const TextMark& mark : within) {
        const std::size_t markBegin = offsetOf(mark.begin);
        shown.push_back({markBegin, offsetOf(mark.end), mark.style});
    }
    return shown;
}

void TextMirror::setHeard(std::optional<TextSpan> element) {
    if (element) {
        element = TextSpan{controlOffset(element->begin), controlOffset(element->end)};
    }
    marksPort_.setHeard(element);
}

std::size_t TextMirror::controlOffset(std::size_t index) const {
    const std::u16string_view text(text_);
    index = std::min(index, text.size());
    if (!oneUnitBreaks_) {
        return index;
    }
    // Count the breaks in front from whichever end is nearer.
    const std::size_t before = index <= text.size() / 2 ? countBreaks(text.substr(0, index))
                                                        : breaks_ - countBreaks(text.substr(index));
    return index - before;
}

std::size_t TextMirror::textIndex(std::size_t controlOffset) const {
    const std::u16string_view text(text_);
    if (!oneUnitBreaks_) {
        return std::min(controlOffset, text.size());
    }
    const std::size_t length = text.size() - breaks_;
    const std::size_t target = std::min(controlOffset, length);
    // Count the breaks in front of the offset from whichever end is nearer.
    if (target <= length / 2) {
        std::size_t before = 0;
        std::size_t from = 0;
        for (;;) {
            const std::size_t cr = text.find(u'\r', from);
            if (cr == std::u16string_view::npos || cr - before >= target) {
                return target + before;
            }
            ++before;
            from = cr + 2;
        }
    }
    std::size_t after = 0;
    std::size_t upTo = text.size();
    while (upTo > 0) {
        const std::size_t cr = text.rfind(u'\r', upTo - 1);
        if (cr == std::u16string_view::npos) {
            break;
        }
        // Its offset in the control: every break in front of it is one unit shorter there.
        if (cr - (breaks_ - after - 1) < target) {
            break;
        }
        ++after;
        upTo = cr;
    }
    return std::min(target + (breaks_ - after), text.size());
}

} // namespace quillon
