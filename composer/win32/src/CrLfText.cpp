#include "CrLfText.h"

#include <algorithm>
#include <cstring>

namespace quillon::win32 {

std::u16string withCrLf(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (ch == u'\r' || ch == u'\n') {
            if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            out += u"\r\n";
        } else {
            out += ch;
        }
    }
    return out;
}

void CrLfText::assign(std::u16string_view text) {
    text_ = withCrLf(text);
    breaks_.clear();
    findBreaks(0);
}

void CrLfText::replaceTail(std::size_t from, std::u16string_view tail) {
    from = std::min(from, text_.size());
    // Never split a line break: a CR kept at the end pairs with an LF at the head of the tail.
    std::u16string replacement;
    replacement.reserve(tail.size() + 1);
    if (from > 0 && text_[from - 1] == u'\r') {
        --from;
        replacement.push_back(u'\r');
    }
    replacement.append(tail);
    text_.resize(from);
    breaks_.erase(std::lower_bound(breaks_.begin(), breaks_.end(), from), breaks_.end());
    text_.append(withCrLf(replacement));
    findBreaks(from);
}

void CrLfText::findBreaks(std::size_t from) {
    for (std::size_t at = text_.find(u'\r', from); at != std::u16string::npos;
         at = text_.find(u'\r', at + 2)) {
        breaks_.push_back(at);
    }
}

std::size_t CrLfText::positionOf(std::size_t index) const {
    index = std::min(index, text_.size());
    // Every break whose CR lies before `index` counts one character less.
    const auto before = std::lower_bound(breaks_.begin(), breaks_.end(), index);
    return index - static_cast<std::size_t>(before - breaks_.begin());
}

std::size_t CrLfText::indexOf(std::size_t position) const {
    // Break k stands at position breaks_[k] - k, ascending: count those in front of `position`.
    std::size_t low = 0;
    std::size_t high = breaks_.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (breaks_[middle] - middle < position) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return std::min(position + low, text_.size());
}

std::size_t CrLfText::commonPrefix(std::u16string_view text) const {
    const std::size_t shorter = std::min(text_.size(), text.size());
    std::size_t at = shorter;
    // Most writes keep all of the old text: one pass proves it.
    if (std::memcmp(text_.data(), text.data(), shorter * sizeof(char16_t)) != 0) {
        at = static_cast<std::size_t>(
            std::mismatch(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(shorter),
                          text.begin())
                .first -
            text_.begin());
    }
    // Never keep half a line break: what follows the CR may differ.
    if (at > 0 && text_[at - 1] == u'\r') {
        --at;
    }
    return at;
}

} // namespace quillon::win32
