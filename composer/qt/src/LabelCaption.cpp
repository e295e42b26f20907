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
    // Measuring the label for its size lays the text out again; a count that keeps its width
    // (most clicks) keeps its size. Only a single line is known by its advance alone.
    if (autoSize_) {
        const int advance = caption.contains(QLatin1Char('\n'))
                                ? -1
                                : label_.fontMetrics().horizontalAdvance(caption);
        if (advance < 0 || advance != sizedAdvance_) {
            label_.adjustSize();
            sizedAdvance_ = advance;
        }
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
