#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>

namespace quillon {

// A small About box in the manner of the Windows shell's: the title and the first line formed
// from the application text, the icon beside them, the extra text below and one button that
// closes it. Modal.
//
// An application text "Title#Line" gives the title "Title" and the first line "Line"; any other
// gives the title "About <text>" and the text itself as the first line.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    AboutDialog(const QString& applicationText, const QString& extraText, const QIcon& icon,
                QWidget* parent = nullptr);

    static QString titleFor(const QString& applicationText);
    static QString firstLineFor(const QString& applicationText);
};

} // namespace quillon
