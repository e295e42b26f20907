#include "quillon/MusicEditor.h"

#include "quillon/MusicCode.h"
#include "quillon/TextChange.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

namespace quillon {

namespace {

constexpr std::int16_t kCounterLimit = 32767;
constexpr int kBreakEvery = 17;

bool isLineBreakChar(char16_t ch) {
    return ch == u'\r' || ch == u'\n';
}

// Uppercase hexadecimal without leading zeros, as the extend command writes its digits.
std::u16string upperHex(int value) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string out;
    do {
        out.insert(out.begin(), digits[value % 16]);
        value /= 16;
    } while (value > 0);
    return out;
}

// Whether a text ends where a line break can go without splitting what is being typed.
bool endsOutsideALiteral(std::u16string_view text) {
    if (text.empty()) {
        return true;
    }
    const char16_t last = text.back();
    return last == u',' || last == u'{' || last == u'}' || last == u';' || isLineBreakChar(last);
}

// A character that would make "0x" part of a longer token: a letter, a digit, "_", "." or any
// character beyond ASCII (compilers take letters of any script into identifiers).
bool continuesAToken(char16_t ch) {
    return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') ||
           ch == u'_' || ch == u'.' || ch >= 0x80;
}

std::u16string countCaption(std::int16_t count) {
    // The leading blank is the sign position of a non-negative number.
    std::string digits = std::to_string(count);
    std::u16string caption = count >= 0 ? u" " : u"";
    caption.append(digits.begin(), digits.end());
    return caption;
}

} // namespace

MusicEditor::MusicEditor(UndoableText& text1, Caption& label3) : text1_(text1), label3_(label3) {}

void MusicEditor::ResetMusicText() {
    try {
        std::u16string text(kArrayHeader);
        text += kLineBreak;
        text1_.setText(text);
    } catch (const std::exception&) {
        // A refused write leaves the old text in place.
    }
}

void MusicEditor::AppendCodeItem(std::u16string_view item) {
    appendText({item, kSeparator});
}

void MusicEditor::AppendLineBreak() {
    appendText({kLineBreak});
}

void MusicEditor::AppendTerminator() {
    appendText({kTerminator, kLineBreak});
}

bool MusicEditor::appendText(std::initializer_list<std::u16string_view> pieces) {
    try {
        std::u16string added;
        for (const std::u16string_view piece : pieces) {
            added += piece;
        }
        // Only the end is read: the old text stays where it is.
        text1_.replaceRange(text1_.view().size(), 0, added);
        return true;
    } catch (const std::exception&) {
        // A refused write leaves the old text in place.
        return false;
    }
}

void MusicEditor::ExtendLastCode() {
    try {
        const std::u16string_view text = text1_.view();

        // Line breaks after the last item (the automatic one after every 16th note) stay
        // behind it; the item in front of them is the one raised.
        std::size_t end = text.size();
        while (end > 0 && isLineBreakChar(text[end - 1])) {
            --end;
        }

        // Only a code item is raised: "0x", two hexadecimal digits and the separator, as a
        // token of its own. Anything else (the header, the terminator, the user's own typing
        // such as "19," or "x19,") is left alone: raising it would not give C.
        if (end < 5 || text[end - 1] != kSeparator.front() || text[end - 5] != u'0' ||
            (text[end - 4] != u'x' && text[end - 4] != u'X') ||
            (end > 5 && continuesAToken(text[end - 6]))) {
            return;
        }
        const auto high = hexDigitValue(text[end - 3]);
        const auto low = hexDigitValue(text[end - 2]);
        if (!high || !low) {
            return;
        }
        const int value = *high * 16 + *low + 1;
        // 0x100 does not fit the unsigned char array: it would truncate to the terminator.
        if (value > 0xff) {
            return;
        }

        // Below 16 the first digit of the pair stays and only the second is rewritten.
        const std::size_t keep = value > 15 ? end - 3 : end - 2;
        std::u16string tail = upperHex(value);
        tail += kSeparator;
        tail += text.substr(end);
        // Only the units that differ are written ("0x82," to "0x83," is one digit): the step
        // that undo keeps and what the window repaints are no larger than the change.
        const TextChange change = changeBetween(text.substr(keep), tail);
        text1_.replaceRange(keep + change.at, change.removed, change.inserted);
    } catch (const std::exception&) {
        // A refused write leaves the last code as it was.
    }
}

void MusicEditor::ResetCodeCounter() {
    counter_ = CodeCounter{};
    breakWaits_ = false;
}

void MusicEditor::Clear() {
    ResetCodeCounter();
    ResetMusicText();
    setCountCaption(false);
    remember();
}

void MusicEditor::Text1_Change() {
    if (counter_.ChangeCount < kCounterLimit) {
        ++counter_.ChangeCount;
    }

    // The line break below still runs when the caption cannot be set.
    setCountCaption(true);
    // Filed before the automatic break: when a typed edit triggers it, the break is an undo
    // step of its own, and undoing it lands here.
    remember();

    // The break's own change is counted like any other, but never makes another break.
    if (writingBreak_) {
        return;
    }
    const bool due =
        counter_.ChangeCount % kBreakEvery == 0 && counter_.ChangeCount < kCounterLimit;
    if (!due && !breakWaits_) {
        return;
    }
    try {
        if (!endsOutsideALiteral(text1_.view())) {
            if (!breakWaits_) {
                breakWaits_ = true;
                remember();
            }
            return;
        }
    } catch (const std::exception&) {
        // The text cannot be read: no break this time; the next change tries again.
        return;
    }
    breakWaits_ = false;
    // Raised before the write, so the nested run shows the same count as this one.
    const std::int16_t breaksBefore = counter_.BreakCount;
    if (counter_.BreakCount < kCounterLimit) {
        ++counter_.BreakCount;
    }
    writingBreak_ = true;
    const bool written = appendText({kLineBreak});
    writingBreak_ = false;
    if (!written) {
        // No break was made, so none is counted: otherwise the count of codes entered would
        // stay one short for good.
        counter_.BreakCount = breaksBefore;
        remember();
    }
}

void MusicEditor::StartHistory() {
    text1_.clearHistory();
    history_.clear();
    remember();
}

void MusicEditor::Text1_HistoryMoved() {
    try {
        const std::size_t position = text1_.historyPosition();
        if (const auto filed = history_.at(position)) {
            restore(*filed);
        } else {
            // An edit that changed nothing made a new point: the state is the one before it.
            history_.record(position, snapshot());
        }
    } catch (const std::exception&) {
        // Without room to file them the counters stay where they are.
    }
}

EditorSnapshot MusicEditor::snapshot() const {
    return {counter_, captionShowsCount_, breakWaits_};
}

void MusicEditor::restore(const EditorSnapshot& snapshot) {
    counter_ = snapshot.counter;
    breakWaits_ = snapshot.breakWaits;
    setCountCaption(snapshot.captionShowsCount);
}

void MusicEditor::setCountCaption(bool showCount) {
    try {
        label3_.setCaption(showCount ? countCaption(counter_.displayedCount()) : u"0");
        captionShowsCount_ = showCount;
    } catch (const std::exception&) {
        // A caption that cannot be set keeps what it showed.
    }
}

void MusicEditor::remember() {
    try {
        history_.record(text1_.historyPosition(), snapshot());
    } catch (const std::exception&) {
        // Without room to file them, undo to this point keeps the counters it finds.
    }
}

} // namespace quillon
