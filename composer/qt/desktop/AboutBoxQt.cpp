// The Qt window's About box: a dialog of our own, as the Linux desktops have no standard one
// (the Windows composer shows the shell's).
#include "AboutBox.h"

#include "AboutDialog.h"

#include <QGuiApplication>
#include <QWidget>

#include <exception>

namespace quillon {

void showAboutBox(QWidget* owner, const QString& applicationText, const QString& extraText) {
    try {
        QWidget* window = owner != nullptr ? owner->window() : nullptr;
        // windowIcon() falls back to the application's icon when the window has none.
        const QIcon icon = window != nullptr ? window->windowIcon() : QGuiApplication::windowIcon();
        AboutDialog dialog(applicationText, extraText, icon, window);
        dialog.exec();
    } catch (const std::exception&) {
        // Only memory can run out here: an About box that cannot be shown is not shown.
    }
}

} // namespace quillon
