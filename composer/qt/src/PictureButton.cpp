#include "PictureButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace quillon {

PictureButton::PictureButton(const QString& facePath, QWidget* parent)
    : CommandButton(QString(), parent), face_(facePath) {}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    // Centred exactly; the style's content margins are wider than the gap round a face.
    QPoint at((width() - face_.width()) / 2, (height() - face_.height()) / 2);
    if (isDown() || isChecked()) {
        at += QPoint(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                     style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    painter.drawPixmap(at, face_);

    // The face fills the inside, so the focus shows on the border, in the highlight colour.
    if (option.state.testFlag(QStyle::State_HasFocus)) {
        painter.setPen(palette().color(QPalette::Highlight));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace quillon
