#pragma once

#include <QString>

class QWidget;

namespace quillon {

// Shows the About box modally, owned by `owner` and with the owner's window icon, and returns
// when the user closes it: the application text forms its title and first line, the extra text
// stands below. Anything that fails on the way is skipped; nothing is thrown.
void showAboutBox(QWidget* owner, const QString& applicationText, const QString& extraText);

} // namespace quillon
