#pragma once

#include <QPixmap>
#include <QPushButton>

namespace quillon {

// A command button in graphical style: a plain button face with a small picture centred on it
// and no caption. A face that failed to load leaves the button blank.
class PictureButton : public QPushButton {
    Q_OBJECT
public:
    PictureButton(const QString& facePath, QWidget* parent = nullptr);

    const QPixmap& face() const { return face_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap face_;
};

} // namespace quillon
