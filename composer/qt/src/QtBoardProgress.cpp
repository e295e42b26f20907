#include "QtBoardProgress.h"

#include "quillon/UserTexts.h"

#include <QProgressDialog>

namespace quillon {

namespace {

QString qt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtBoardProgress::~QtBoardProgress() {
    delete dialog_;
}

void QtBoardProgress::showProgress(std::u16string_view title, std::function<void()> onCancel) {
    closeProgress();
    onCancel_ = std::move(onCancel);
    dialog_ = new QProgressDialog(&owner_);
    dialog_->setObjectName(QStringLiteral("BoardProgress"));
    dialog_->setWindowTitle(qt(title));
    dialog_->setCancelButtonText(qt(userText(UserText::CancelButton)));
    dialog_->setRange(0, 100);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setWindowModality(Qt::NonModal);
    QObject::connect(dialog_, &QProgressDialog::canceled, dialog_, [this] {
        if (onCancel_) {
            // Once: the upload stops between pages and the session then closes the window.
            auto cancel = std::move(onCancel_);
            onCancel_ = nullptr;
            cancel();
        }
    });
    dialog_->show();
}

void QtBoardProgress::setProgress(std::u16string_view text, int percent) {
    if (dialog_ != nullptr) {
        dialog_->setLabelText(qt(text));
        dialog_->setValue(percent);
    }
}

void QtBoardProgress::closeProgress() {
    if (dialog_ != nullptr) {
        dialog_->hide();
        dialog_->deleteLater();
        dialog_ = nullptr;
    }
    onCancel_ = nullptr;
}

} // namespace quillon
