#pragma once

#include <QPushButton>

namespace quillon {

// A command button of the composer: it takes the focus when clicked, and a focused one is
// pressed by Enter and Return as well as by Space, as users of a form expect.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString& caption = QString(), QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace quillon
