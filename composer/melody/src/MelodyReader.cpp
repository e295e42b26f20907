#include "quillon/MelodyReader.h"

#include "InitializerReader.h"

#include <algorithm>

namespace quillon {

Melody readMelody(std::u16string_view text) {
    Melody melody;
    detail::InitializerReader(text, melody, nullptr).read();
    return melody;
}

std::vector<MusicCode> playedCodes(const Melody& melody) {
    std::vector<MusicCode> codes;
    const std::size_t n = std::min(melody.played, melody.elements.size());
    codes.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        codes.push_back(melody.elements[i].code);
    }
    return codes;
}

} // namespace quillon
