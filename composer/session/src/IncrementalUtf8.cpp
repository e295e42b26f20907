#include "quillon/IncrementalUtf8.h"

#include "quillon/Utf8.h"

#include <algorithm>

namespace quillon {
namespace {

// Large enough that the blocks' starts cost nothing beside the text, small enough that an
// update at the end encodes a few kilobytes.
constexpr std::size_t kBlockUnits = 4096;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xd800 && unit <= 0xdbff;
}

bool isLowSurrogate(char16_t unit) {
    return unit >= 0xdc00 && unit <= 0xdfff;
}

} // namespace

bool IncrementalUtf8::update(std::u16string_view text, std::size_t changedFrom) {
    if (blocks_.empty()) {
        blocks_.push_back({0, 0});
        changedFrom = 0;
    }
    changedFrom = std::min({changedFrom, units_, text.size()});
    if (changedFrom == units_ && changedFrom == text.size()) {
        return false;
    }
    // The last block that starts before the change (the first always does). A block that
    // starts right at the change is not taken: a lone high surrogate in front of it may now
    // have its low half and be one character.
    auto block = std::lower_bound(blocks_.begin(), blocks_.end(), changedFrom,
                                  [](const BlockStart& b, std::size_t at) { return b.unit < at; });
    if (block != blocks_.begin()) {
        --block;
    }
    const BlockStart start = *block;
    blocks_.erase(block + 1, blocks_.end());

    std::string tail;
    // Room for what the old tail held and an append or two more.
    tail.reserve(bytes_.size() - start.byte + 64);
    for (std::size_t unit = start.unit; unit < text.size();) {
        std::size_t end = std::min(unit + kBlockUnits, text.size());
        // A surrogate pair stays in one block, so that each is encoded as one character.
        if (end < text.size() && isHighSurrogate(text[end - 1]) && isLowSurrogate(text[end])) {
            ++end;
        }
        if (unit != start.unit) {
            blocks_.push_back({unit, start.byte + tail.size()});
        }
        tail += encodeUtf8(text.substr(unit, end - unit));
        unit = end;
    }
    units_ = text.size();
    const std::string_view old = std::string_view(bytes_).substr(start.byte);
    if (old == tail) {
        return false;
    }
    bytes_.resize(start.byte);
    bytes_ += tail;
    return true;
}

} // namespace quillon
