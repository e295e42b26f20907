#pragma once

#include <QLocale>

namespace quillon {

// Installs Qt's own translations for `locale`, so that what Qt itself shows (the text box's
// context menu, the buttons of message boxes) speaks the user's language. False, and English,
// when Qt has none for it.
bool installQtTranslations(const QLocale& locale);

} // namespace quillon
