#pragma once

#include "quillon/Finding.h"
#include "quillon/SessionPorts.h"

#include <span>
#include <string_view>
#include <vector>

namespace quillon {

// How a finding is drawn: a red wave for what the compiler rejects or the firmware would
// mis-play, a quiet hint for what is not wrong, only unfinished or not what the composer writes.
MarkStyle markStyle(const Finding& finding);

// The underlines for `findings` of `text`: one mark per run of findings of one style that
// stand side by side on a line (nothing but blanks and commas between them), so that a line of
// 64,000 findings costs the window one mark. Where an error and a hint overlap the error is
// drawn. Sorted, never overlapping.
std::vector<TextMark> marksFor(std::span<const Finding> findings, std::u16string_view text);

} // namespace quillon
