// Qt's own words in the user's language: the text box's context menu in Chinese.
#include "QtTranslations.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

class QtTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void aLocaleWithoutTranslationsStaysEnglish() {
        QVERIFY(!quillon::installQtTranslations(QLocale(QLocale::Swahili, QLocale::Kenya)));
        QCOMPARE(QCoreApplication::translate("QWidgetTextControl", "&Undo"),
                 QStringLiteral("&Undo"));
    }

    void theContextMenuSpeaksChinese() {
        QVERIFY(quillon::installQtTranslations(QLocale(QLocale::Chinese, QLocale::China)));
        QPlainTextEdit edit;
        edit.setPlainText(QStringLiteral("0x03,"));
        edit.selectAll();
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList entries;
        for (const QAction* action : menu->actions()) {
            entries << action->text();
        }
        const QString all = entries.join('|');
        // Redo, copy and paste, as a Chinese desktop says them (undo is written two ways).
        QVERIFY2(all.contains(QStringLiteral("重做")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("复制")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("粘贴")), qPrintable(all));
    }
};

QTEST_MAIN(QtTranslationsTest)
#include "QtTranslationsTest.moc"
