#pragma once

#include "quillon/Caption.h"

#include <QString>

#include <string_view>

class QLabel;

namespace quillon {

// A label as the editor and the clock set it. An auto-size label follows its caption: it keeps
// its top-left corner and takes the size of its new text.
class LabelCaption : public Caption {
public:
    LabelCaption(QLabel& label, bool autoSize);

    void setCaption(std::u16string_view caption) override;
    void setCaption(const QString& caption);

private:
    QLabel& label_;
    bool autoSize_;
};

} // namespace quillon
