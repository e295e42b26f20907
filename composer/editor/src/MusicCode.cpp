#include "quillon/MusicCode.h"

namespace quillon {

std::u16string codeItem(MusicCode code) {
    static constexpr char16_t digits[] = u"0123456789abcdef";
    return {u'0', u'x', digits[code >> 4], digits[code & 0x0f]};
}

} // namespace quillon
