#pragma once

#include <string_view>

namespace quillon {

// A label whose caption the editor sets (the code byte count).
class Caption {
public:
    virtual ~Caption() = default;

    // A caption that cannot be set throws; the editor carries on without it.
    virtual void setCaption(std::u16string_view caption) = 0;
};

} // namespace quillon
