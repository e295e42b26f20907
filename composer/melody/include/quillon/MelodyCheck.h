#pragma once

#include "quillon/MelodyReader.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

namespace detail {
struct ReaderCheckpoint;
} // namespace detail

// The melody check of a text that changes a little at a time: each read gives what
// readMelody(text) gives, but reads again only from the first element that the change since
// the last read touched; an append reads only the tail. It keeps a copy of the last text and a
// saved reader state every few hundred characters.
class MelodyCheck {
public:
    MelodyCheck();
    MelodyCheck(const MelodyCheck&);
    MelodyCheck(MelodyCheck&&) noexcept;
    MelodyCheck& operator=(const MelodyCheck&);
    MelodyCheck& operator=(MelodyCheck&&) noexcept;
    ~MelodyCheck();

    // The melody of text, equal to readMelody(text); valid until the next read. Offsets are
    // UTF-16 code units of text, as in readMelody.
    const Melody& read(std::u16string_view text);

    // The same, for a caller that knows the text is as it was last read up to `unchangedUpTo`
    // (past its end when nothing changed): the comparison is left out.
    const Melody& read(std::u16string_view text, std::size_t unchangedUpTo);

    // The melody of the last read; empty before the first.
    const Melody& melody() const { return melody_; }

private:
    std::u16string text_;
    Melody melody_;
    std::vector<detail::ReaderCheckpoint> checkpoints_;
    std::size_t lateFinding_ = 0;
    bool hasRead_ = false;
};

} // namespace quillon
