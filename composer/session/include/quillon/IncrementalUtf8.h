#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A text's UTF-8 (as encodeUtf8 gives it), kept from one update to the next so that a text that
// changes near its end is not encoded whole again: only the part from a little before the
// earliest change on. The text is encoded in blocks whose starts are remembered; an update
// starts again at the last block that begins before the change.
class IncrementalUtf8 {
public:
    // Brings the bytes up to `text`. Everything before `changedFrom` must be as it was at the
    // last update (past the end: nothing changed); the first update encodes all. Returns
    // whether the bytes are other than before.
    bool update(std::u16string_view text, std::size_t changedFrom);

    const std::string& bytes() const noexcept { return bytes_; }

private:
    struct BlockStart {
        std::size_t unit = 0;
        std::size_t byte = 0;
    };

    std::string bytes_;
    // The first is always {0, 0} once anything was encoded.
    std::vector<BlockStart> blocks_;
    std::size_t units_ = 0;
};

} // namespace quillon
