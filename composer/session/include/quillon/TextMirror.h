#pragma once

#include "quillon/FindingMarks.h"
#include "quillon/SessionPorts.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Text1's text as the session holds it, beside the window's control, and the one place that
// knows how the two correspond. The session reads and writes one string with CR LF line breaks;
// the control may count a break as one unit (Qt) or two (Windows). The mirror
//  - writes the session's changes into the control, only the part that changes, never half a
//    line break, and knows what the control reports of them to be its own;
//  - takes the control's report of a user's edit (or, when the control cannot say where, its
//    whole text) and gives the edit in the session's offsets, as small as it is;
//  - keeps the underlines on their characters as the text changes, and gives a window those
//    of the lines it paints, in the control's offsets.
// No window keeps a copy of the text.
class TextMirror {
public:
    // One edit in the session's offsets: `removed` at `at` gave way to `inserted`.
    struct Edit {
        std::size_t at = 0;
        std::u16string removed;
        std::u16string inserted;
        friend bool operator==(const Edit&, const Edit&) = default;
    };

    TextMirror(TextControl& control, TextMarks& marks);

    // The whole text, CR LF for every line break.
    std::u16string_view text() const { return text_; }

    // A write of the session's: `removed` code units at `at` become `inserted` (any line
    // breaks), widened to whole line breaks. Returns what changed, as the text now holds it.
    // Throws when the control refuses; the text stays as it was.
    Edit write(std::size_t at, std::size_t removed, std::u16string_view inserted);

    // The control reports the user's edit in its own offsets: `removed` units at `from` gave
    // way to `inserted`, and it now holds `lengthAfter` units. None while the mirror writes, or
    // when the text is as it was. A report that does not fit the text is read again whole.
    std::optional<Edit> controlEdited(std::size_t from, std::size_t removed,
                                      std::u16string_view inserted, std::size_t lengthAfter);
    // The control changed and cannot say where: its whole text is compared.
    std::optional<Edit> controlChanged();

    // The caret and the selection, in the session's offsets.
    std::size_t caret() const noexcept;
    TextSpan selection() const noexcept;
    void select(std::size_t begin, std::size_t end) noexcept;
    void placeCaret(std::size_t index) noexcept { select(index, index); }
    void selectAll() { control_.selectAll(); }

    // Replaces the underlines (sorted, never overlapping, in the session's offsets); the
    // control paints again what differs.
    void setMarks(std::vector<TextMark> marks);
    std::span<const TextMark> marks() const { return marks_; }
    // The underlines that reach into [from, to) of the control, in its offsets.
    std::vector<TextMark> marksWithin(std::size_t from, std::size_t to) const;
    void setHeard(std::optional<TextSpan> element);

    // A session offset in the control, and back. Offsets past the end stand at the end; an
    // offset between a CR and its LF stands before the break.
    std::size_t controlOffset(std::size_t index) const;
    std::size_t textIndex(std::size_t controlOffset) const;

private:
    std::size_t controlLength() const;
    // Puts `edit` into the kept text and keeps the marks on their characters.
    void apply(const Edit& edit);

    TextControl& control_;
    TextMarks& marksPort_;
    const bool oneUnitBreaks_;
    std::u16string text_;
    std::size_t breaks_ = 0;
    std::vector<TextMark> marks_;
    // Set while a write goes into the control: what it reports then is that write.
    bool writing_ = false;
};

} // namespace quillon
