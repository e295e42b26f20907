#include "LabelCaption.h"

#include "quillon/FormTable.h"

#include <QLabel>
#include <QStringView>

#include <algorithm>

namespace quillon {

LabelCaption::LabelCaption(QLabel& label, bool autoSize, QLabel* neighbour)
    : label_(label), autoSize_(autoSize), neighbour_(neighbour),
      neighbourLeft_(neighbour != nullptr ? neighbour->x() : 0) {}

void LabelCaption::setCaption(std::u16string_view caption) {
    setCaption(QStringView(caption.data(), static_cast<qsizetype>(caption.size())).toString());
}

void LabelCaption::setCaption(const QString& caption) {
    label_.setText(caption);
    if (autoSize_) {
        label_.adjustSize();
    }
    keepNeighbourClear();
}

void LabelCaption::keepNeighbourClear() {
    if (neighbour_ == nullptr) {
        return;
    }
    const int blank = label_.fontMetrics().horizontalAdvance(QLatin1Char(' '));
    neighbour_->move(label5Left(neighbourLeft_, label_.x() + label_.width(), blank),
                     neighbour_->y());
}

} // namespace quillon
