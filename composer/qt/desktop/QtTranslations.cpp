#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quillon {

bool installQtTranslations(const QLocale& locale) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    // qt_<lang> bundles qtbase with the other modules' catalogues where a distribution ships it;
    // qtbase_<lang> alone holds all that the composer shows.
    for (const char* catalogue : {"qt", "qtbase"}) {
        if (translator->load(locale, QString::fromLatin1(catalogue), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace quillon
