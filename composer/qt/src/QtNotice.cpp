#include "QtNotice.h"

#include "AboutBox.h"

#include <QMessageBox>

namespace quillon {
namespace {

QString qt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void QtNotice::showWarning(std::u16string_view text, std::u16string_view detail) {
    show(QMessageBox::Warning, text, detail);
}

void QtNotice::showInformation(std::u16string_view text, std::u16string_view detail) {
    show(QMessageBox::Information, text, detail);
}

void QtNotice::show(int icon, std::u16string_view text, std::u16string_view detail) {
    // Modal to the window without waiting for it to close: nothing here depends on when the
    // user dismisses it.
    auto* box = new QMessageBox(static_cast<QMessageBox::Icon>(icon), QStringLiteral("Quillon"),
                                qt(text), QMessageBox::Ok, &owner_);
    box->setObjectName(QStringLiteral("MessageBox"));
    box->setInformativeText(qt(detail));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void QtNotice::showAbout(std::u16string_view applicationText, std::u16string_view extraText) {
    showAboutBox(&owner_, qt(applicationText), qt(extraText));
}

} // namespace quillon
