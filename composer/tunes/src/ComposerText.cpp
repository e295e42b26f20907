#include "quillon/ComposerText.h"

#include <cstdint>

namespace quillon {
namespace {

// The editor's: the counters stop there, and no break is due at the limit.
constexpr std::int16_t kCounterLimit = 32767;
constexpr int kBreakEvery = 17;

} // namespace

// What MusicEditor does for Clear, the clicks and End, written in one pass: every write is a
// change; at every 17th change below the limit (always after a "," or a line end here, where a
// break may go) an automatic line break is appended, itself a change that makes no break.
ComposerState composerState(std::span<const MusicCode> codes) {
    ComposerState state;
    std::u16string& text = state.text;
    CodeCounter& counter = state.counter;
    text.reserve(kArrayHeader.size() + codes.size() * 5 + codes.size() / 16 * 2 + 16);

    const auto changed = [&text, &counter] {
        if (counter.ChangeCount < kCounterLimit) {
            ++counter.ChangeCount;
        }
        if (counter.ChangeCount % kBreakEvery == 0 && counter.ChangeCount < kCounterLimit) {
            ++counter.BreakCount;
            text += kLineBreak;
            if (counter.ChangeCount < kCounterLimit) {
                ++counter.ChangeCount;
            }
        }
    };

    text += kArrayHeader;
    text += kLineBreak;
    changed();
    for (const MusicCode code : codes) {
        text += codeItem(code);
        text += kSeparator;
        changed();
    }
    text += kTerminator;
    text += kLineBreak;
    changed();
    return state;
}

std::u16string composerText(std::span<const MusicCode> codes) {
    return composerState(codes).text;
}

TextChange importChange(std::u16string_view text, std::span<const MusicCode> codes) {
    return changeBetween(text, composerState(codes).text);
}

} // namespace quillon
