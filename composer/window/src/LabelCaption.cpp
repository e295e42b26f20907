#include "LabelCaption.h"

#include <QLabel>
#include <QStringView>

namespace quillon {

LabelCaption::LabelCaption(QLabel& label, bool autoSize) : label_(label), autoSize_(autoSize) {}

void LabelCaption::setCaption(std::u16string_view caption) {
    setCaption(QStringView(caption.data(), static_cast<qsizetype>(caption.size())).toString());
}

void LabelCaption::setCaption(const QString& caption) {
    label_.setText(caption);
    if (autoSize_) {
        label_.adjustSize();
    }
}

} // namespace quillon
