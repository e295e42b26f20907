#pragma once

#include "quillon/Caption.h"

#include <emscripten/val.h>

#include <string>

namespace quillon {

// A caption the session sets on the page: a label's text, or the page's title ("form1").
class WebCaption final : public Caption {
public:
    WebCaption(emscripten::val face, std::string target)
        : face_(std::move(face)), target_(std::move(target)) {}
    void setCaption(std::u16string_view caption) override;

private:
    emscripten::val face_;
    std::string target_;
};

} // namespace quillon
