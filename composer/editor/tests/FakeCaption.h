#pragma once

#include "quillon/Caption.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillon::test {

// A label that keeps its caption, starting from the design caption "0", and can refuse it.
class FakeCaption : public Caption {
public:
    std::u16string caption = u"0";
    bool refuse = false;

    void setCaption(std::u16string_view text) override {
        if (refuse) {
            throw std::runtime_error("caption refused");
        }
        caption.assign(text);
    }
};

} // namespace quillon::test
