#include "AboutDialog.h"
#include "AboutBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>

using quillon::AboutDialog;

namespace {

// A recognisable stand-in for the eye: a 64 x 64 icon of one colour.
QIcon testIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(QColor(12, 200, 90));
    return QIcon(pixmap);
}

QString labelText(const QWidget& dialog, const char* name) {
    const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

} // namespace

class AboutDialogTest : public QObject {
    Q_OBJECT

private slots:
    void formsTitleAndFirstLine_data();
    void formsTitleAndFirstLine();
    void showsTheApplicationTextIconAndExtraText();
    void hasOneButtonThatClosesIt();
    void showAboutBoxIsModalOwnedByTheWindowAndReturnsWhenClosed();
    void showAboutBoxWithoutOwnerStillReturns();
};

void AboutDialogTest::formsTitleAndFirstLine_data() {
    QTest::addColumn<QString>("applicationText");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("the composer's") << "作者"
                                    << "About 作者"
                                    << "作者";
    // No character of the text is special: a "#" is shown as it is.
    QTest::newRow("hash") << "Quillon#作者"
                          << "About Quillon#作者"
                          << "Quillon#作者";
}

void AboutDialogTest::formsTitleAndFirstLine() {
    QFETCH(QString, applicationText);
    QFETCH(QString, title);
    QFETCH(QString, firstLine);
    const AboutDialog dialog(applicationText, QStringLiteral("x"), QIcon());
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(labelText(dialog, "firstLine"), firstLine);
}

void AboutDialogTest::showsTheApplicationTextIconAndExtraText() {
    const AboutDialog dialog(QStringLiteral("作者"), QStringLiteral("Credit▲谢谢使用！"),
                             testIcon());
    QCOMPARE(labelText(dialog, "firstLine"), QStringLiteral("作者"));
    QCOMPARE(labelText(dialog, "extraText"), QStringLiteral("Credit▲谢谢使用！"));

    const auto* icon = dialog.findChild<QLabel*>(QStringLiteral("icon"));
    QVERIFY(icon != nullptr);
    const QImage shown = icon->pixmap().toImage();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(12, 200, 90));
}

void AboutDialogTest::hasOneButtonThatClosesIt() {
    AboutDialog dialog(QStringLiteral("作者"), QStringLiteral("x"), testIcon());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const auto buttons = dialog.findChildren<QAbstractButton*>();
    QCOMPARE(buttons.size(), 1);
    QTest::mouseClick(buttons.front(), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void AboutDialogTest::showAboutBoxIsModalOwnedByTheWindowAndReturnsWhenClosed() {
    QWidget window;
    window.setWindowIcon(testIcon());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    bool seen = false;
    QTimer::singleShot(0, &window, [&] {
        auto* box = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        seen = true;
        QCOMPARE(box->parentWidget(), &window);
        QVERIFY(box->isModal());
        QCOMPARE(box->windowTitle(), QStringLiteral("About 作者"));
        QVERIFY(labelText(*box, "extraText").endsWith(QStringLiteral("▲谢谢使用！")));
        const QImage shown = box->findChild<QLabel*>(QStringLiteral("icon"))->pixmap().toImage();
        QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(12, 200, 90));
        box->findChild<QAbstractButton*>()->click();
    });
    // Returns only once the box is closed; a box left open would hang here until the time-out.
    quillon::showAboutBox(&window, QStringLiteral("作者"), QStringLiteral("Credit▲谢谢使用！"));
    QVERIFY(seen);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void AboutDialogTest::showAboutBoxWithoutOwnerStillReturns() {
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            seen = true;
            box->close();
        }
    });
    quillon::showAboutBox(nullptr, QStringLiteral("作者"), QStringLiteral("x"));
    QVERIFY(seen);
}

QTEST_MAIN(AboutDialogTest)
#include "AboutDialogTest.moc"
