#include "AboutDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>

namespace quillon {

namespace {

QLabel* plainLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // Texts are shown as they are, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

AboutDialog::AboutDialog(const QString& applicationText, const QString& extraText,
                         const QIcon& icon, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About %1").arg(applicationText));
    setWindowIcon(icon);
    setModal(true);

    auto* layout = new QGridLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setHorizontalSpacing(16);

    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("icon"));
    if (icon.isNull()) {
        iconLabel->hide();
    } else {
        const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        iconLabel->setPixmap(icon.pixmap(side, side));
    }
    iconLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    layout->addWidget(iconLabel, 0, 0, 2, 1);

    QLabel* firstLine = plainLabel(applicationText, QStringLiteral("firstLine"), this);
    QFont bold = firstLine->font();
    bold.setBold(true);
    firstLine->setFont(bold);
    layout->addWidget(firstLine, 0, 1);

    QLabel* extra = plainLabel(extraText, QStringLiteral("extraText"), this);
    extra->setWordWrap(true);
    extra->setMinimumWidth(320);
    layout->addWidget(extra, 1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, 2, 0, 1, 2);
}

} // namespace quillon
