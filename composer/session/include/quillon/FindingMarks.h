#pragma once

#include "quillon/Finding.h"
#include "quillon/SessionPorts.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace quillon {

// How a finding is drawn: a red wave for what the compiler rejects or the firmware would
// mis-play, a quiet hint for what is not wrong, only unfinished or not what the composer writes.
MarkStyle markStyle(const Finding& finding);

// A window draws every mark on a line in view each time it paints the line, at a cost that grows
// with the line's length: beyond this many marks on a line, the line's marks are merged.
inline constexpr std::size_t kMarksPerLine = 16;

// The underlines for `findings` of `text`, sorted, never overlapping:
// - one mark per run of findings of one style that stand side by side on a line (nothing but
//   blanks and commas between them); where an error and a hint overlap the error is drawn;
// - a line on which more than kMarksPerLine marks begin keeps at most three: one error mark from
//   its first error to its last, and the hints before and after that, one mark each side.
// The tooltips still tell each finding at its own character.
std::vector<TextMark> marksFor(std::span<const Finding> findings, std::u16string_view text);

// The marks of sorted, non-overlapping `marks` that reach into [begin, end), found by halving.
std::span<const TextMark> marksWithin(std::span<const TextMark> marks, std::size_t begin,
                                      std::size_t end);

// An edit of a text: [from, oldEnd) became [from, newEnd).
struct TextEdit {
    std::size_t from = 0;
    std::size_t oldEnd = 0;
    std::size_t newEnd = 0;
};

// Where offset `at` stands after `edit`. A begin at the edit stays before what was written there,
// an end is pushed behind it; a place inside the replaced range goes to the edge of what replaced
// it.
std::size_t followEdit(std::size_t at, bool isEnd, const TextEdit& edit);

// Keeps `marks` on their characters across `edit`, in one pass; marks whose characters went
// are dropped. Sorted and never overlapping they stay so.
void followEdit(std::vector<TextMark>& marks, const TextEdit& edit);

// What two sorted lists of marks do not share (a mark in one and not the other), in one pass
// over both: what a window paints again when its marks are replaced.
std::vector<TextMark> marksChanged(std::span<const TextMark> before,
                                   std::span<const TextMark> after);

} // namespace quillon
