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
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillon"), qt(text), QMessageBox::Ok,
                    &owner_);
    box.setObjectName(QStringLiteral("WarningBox"));
    box.setInformativeText(qt(detail));
    box.exec();
}

void QtNotice::showAbout(std::u16string_view applicationText, std::u16string_view extraText) {
    showAboutBox(&owner_, qt(applicationText), qt(extraText));
}

} // namespace quillon
