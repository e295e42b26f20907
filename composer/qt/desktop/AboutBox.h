#pragma once

#include <QString>

class QWidget;

namespace quillon {

// Shows the About box modally, owned by `owner` and with the owner's window icon, and returns
// when the user closes it. Anything that fails on the way is skipped; nothing is thrown.
void showAboutBox(QWidget* owner);

// The application text of the About box, from which its title and first line are formed.
QString aboutApplicationText();

// The extra text below: a credit line followed at once by the closing thanks.
QString aboutExtraText();

} // namespace quillon
