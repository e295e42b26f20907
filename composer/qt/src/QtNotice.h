#pragma once

#include "quillon/SessionPorts.h"

class QWidget;

namespace quillon {

// What the session tells the user, as Qt's message box and our About dialog owned by the window.
class QtNotice final : public Notice {
public:
    explicit QtNotice(QWidget& owner) : owner_(owner) {}
    void showWarning(std::u16string_view text, std::u16string_view detail) override;
    void showInformation(std::u16string_view text, std::u16string_view detail) override;
    void showAbout(std::u16string_view applicationText, std::u16string_view extraText) override;

private:
    void show(int icon, std::u16string_view text, std::u16string_view detail);

    QWidget& owner_;
};

} // namespace quillon
