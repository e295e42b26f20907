#include "WebText.h"

#include "quillon/Utf8.h"

#include <string>

namespace quillon {

using emscripten::val;

namespace {
std::size_t offset(const val& number) {
    return static_cast<std::size_t>(number.as<double>());
}
double number(std::size_t offset) {
    return static_cast<double>(offset);
}
} // namespace

std::u16string WebText::controlText() const {
    return decodeUtf8Lenient(face_.call<std::string>("textValue"));
}

void WebText::replace(std::size_t from, std::size_t to, std::u16string_view text) {
    face_.call<void>("replaceText", number(from), number(to), encodeUtf8(text));
}

std::size_t WebText::caret() const noexcept {
    return offset(face_.call<val>("caret"));
}

TextSpan WebText::selection() const noexcept {
    const val span = face_.call<val>("selection");
    return {offset(span[0]), offset(span[1])};
}

void WebText::select(std::size_t begin, std::size_t end) noexcept {
    face_.call<void>("select", number(begin), number(end));
}

void WebText::selectAll() {
    face_.call<void>("selectAll");
}

void WebText::marksChanged(std::size_t from, std::size_t to) {
    face_.call<void>("marksChanged", number(from), number(to));
}

void WebText::setHeard(std::optional<TextSpan> element) {
    if (element) {
        face_.call<void>("setHeard", number(element->begin), number(element->end));
    } else {
        face_.call<void>("setHeard", val::null(), val::null());
    }
}

} // namespace quillon
