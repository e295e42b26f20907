#include "WebCaption.h"

#include "quillon/Utf8.h"

namespace quillon {

void WebCaption::setCaption(std::u16string_view caption) {
    face_.call<void>("setCaption", target_, encodeUtf8(caption));
}

} // namespace quillon
