#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>

namespace quillon {

// A small About box in the manner of the Windows shell's: the title and the first line formed
// from the application text, the icon beside them, the extra text below and one button that
// closes it. Modal. The title is "About <application text>"; the first line is the application
// text itself.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    AboutDialog(const QString& applicationText, const QString& extraText, const QIcon& icon,
                QWidget* parent = nullptr);
};

} // namespace quillon
