#include "quillon/MelodyCheck.h"

#include "InitializerReader.h"

#include <algorithm>
#include <cstring>

namespace quillon {
namespace {

// How many code units the two texts share at their start; compared a block at a time with
// memcmp, which is as fast as the machine reads memory.
std::size_t commonPrefix(std::u16string_view a, std::u16string_view b) {
    constexpr std::size_t block = 2048;
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i + block <= n &&
           std::memcmp(a.data() + i, b.data() + i, block * sizeof(char16_t)) == 0) {
        i += block;
    }
    while (i < n && a[i] == b[i]) {
        ++i;
    }
    return i;
}

} // namespace

MelodyCheck::MelodyCheck() = default;
MelodyCheck::MelodyCheck(const MelodyCheck&) = default;
MelodyCheck::MelodyCheck(MelodyCheck&&) noexcept = default;
MelodyCheck& MelodyCheck::operator=(const MelodyCheck&) = default;
MelodyCheck& MelodyCheck::operator=(MelodyCheck&&) noexcept = default;
MelodyCheck::~MelodyCheck() = default;

const Melody& MelodyCheck::read(std::u16string_view text) {
    return read(text, hasRead_ ? commonPrefix(text_, text) : 0);
}

const Melody& MelodyCheck::read(std::u16string_view text, std::size_t unchangedUpTo) {
    const std::size_t same = hasRead_ ? std::min({unchangedUpTo, text_.size(), text.size()}) : 0;
    if (hasRead_ && same == text_.size() && same == text.size()) {
        return melody_;
    }
    // The last state saved before the first difference, that looked at nothing beyond it.
    const auto usable = std::partition_point(
        checkpoints_.begin(), checkpoints_.end(),
        [same](const detail::ReaderCheckpoint& c) { return c.state.horizon <= same; });
    if (!hasRead_ || usable == checkpoints_.begin()) {
        melody_ = Melody{};
        checkpoints_.clear();
        detail::InitializerReader reader(text, melody_, &checkpoints_);
        reader.read();
        lateFinding_ = reader.lateFinding();
    } else {
        const detail::ReaderCheckpoint from = *(usable - 1);
        checkpoints_.erase(usable, checkpoints_.end());
        if (lateFinding_ != detail::InitializerReader::npos) {
            melody_.findings.erase(melody_.findings.begin() +
                                   static_cast<std::ptrdiff_t>(lateFinding_));
        }
        melody_.elements.resize(from.elements);
        melody_.findings.resize(from.findings);
        detail::InitializerReader reader(text, melody_, &checkpoints_);
        reader.readFrom(from.state);
        lateFinding_ = reader.lateFinding();
    }
    // Only the tail that differs is copied.
    text_.resize(same);
    text_.append(text.substr(same));
    hasRead_ = true;
    return melody_;
}

} // namespace quillon
