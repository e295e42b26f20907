#pragma once

#include "CommandButton.h"

#include <QPixmap>

namespace quillon {

// A command button in graphical style: a plain button face with a small picture centred on it
// and no caption. A face that failed to load leaves the button blank.
class PictureButton : public CommandButton {
    Q_OBJECT
public:
    PictureButton(const QString& facePath, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap face_;
};

} // namespace quillon
