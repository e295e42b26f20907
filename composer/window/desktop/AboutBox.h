#pragma once

class QWidget;

namespace quillon {

// Shows the About box modally, owned by `owner` and with the owner's window icon, and returns
// when the user closes it. Anything that fails on the way is skipped; nothing is thrown.
void showAboutBox(QWidget* owner);

} // namespace quillon
