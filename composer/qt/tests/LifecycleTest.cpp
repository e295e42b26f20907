// Start-up, the clock, the About box and closing the window.
#include "WindowTestSupport.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTime>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace quillon;
using namespace quillon::test;

namespace {

// A clock at a fixed time with a 24-hour regional format, so that what it shows is known.
LocalClock fixedClock(QTime time) {
    return LocalClock([time] { return time; }, QLocale::c(), QStringLiteral("HH:mm:ss"));
}

// Runs `check` on the first modal window to appear while `action` runs its own event loop.
// Gives up after five seconds.
bool whileModal(const std::function<void()>& action, const std::function<void(QWidget*)>& check) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    int waited = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        waited += 10;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            poll.stop();
            seen = true;
            check(modal);
            modal->close();
        } else if (waited > 5000) {
            poll.stop();
        }
    });
    poll.start();
    action();
    return seen;
}

} // namespace

class LifecycleTest : public QObject {
    Q_OBJECT

private slots:
    void loadRunsBeforeTheWindowFirstShows() {
        Form1 form;
        QCOMPARE(text1Text(form), QString());
        QCOMPARE(label3Text(form), QStringLiteral("0"));
        QString textWhenShown;
        QString countWhenShown;
        // Spy on the first paint: by then Load has run.
        form.show();
        textWhenShown = text1Text(form);
        countWhenShown = label3Text(form);
        QCOMPARE(textWhenShown, kHeaderLine);
        QCOMPARE(countWhenShown, QStringLiteral(" 0"));
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), text1(form));

        // Hiding and showing again (minimize, restore) does not load again.
        click(form, "Command111");
        form.hide();
        form.show();
        QCOMPARE(text1Text(form), kHeaderLine + "0x03,");
        QCOMPARE(label3Text(form), QStringLiteral(" 1"));
    }

    void undoDoesNotGoBehindTheStartUpText() {
        const auto form = openWindow();
        QTest::keyClick(text1(*form), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text1Text(*form), kHeaderLine);
        QCOMPARE(label3Text(*form), QStringLiteral(" 0"));
    }

    void theClockIsEmptyUntilTheFirstTick() {
        const QTime noon(12, 34, 56);
        const auto form = openWindow(fixedClock(noon));
        auto* label6 = control<QLabel>(*form, "Label6");
        QCOMPARE(label6->text(), QString());

        form->Timer1_Timer();
        QCOMPARE(label6->text(), QStringLiteral("12:34:56"));
        QCOMPARE(label6->pos(), QPoint(256, 480));
        // Auto-size: the label grows to show the whole time.
        QVERIFY(label6->width() >= label6->fontMetrics().horizontalAdvance(label6->text()));

        // The tick changes nothing else.
        QCOMPARE(text1Text(*form), kHeaderLine);
        QCOMPARE(label3Text(*form), QStringLiteral(" 0"));
    }

    void theTimerDrivesTheClock() {
        const auto form = openWindow(fixedClock(QTime(1, 2, 3)));
        auto* timer = control<QTimer>(*form, "Timer1");
        // Not a real second: the timer's own signal, as the event loop would deliver it.
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection));
        QCOMPARE(control<QLabel>(*form, "Label6")->text(), QStringLiteral("01:02:03"));
    }

    void aboutIsModalAndChangesNothing() {
        const auto form = openWindow();
        click(*form, "Command323");
        click(*form, "Command511");
        const QString text = text1Text(*form);
        const QString count = label3Text(*form);

        QString textWhileOpen;
        const bool opened = whileModal([&] { click(*form, "Command517"); },
                                       [&](QWidget* box) {
                                           QCOMPARE(box->parentWidget(), form.get());
                                           QVERIFY(box->isModal());
                                           // The composer takes no clicks meanwhile.
                                           click(*form, "Command111");
                                           click(*form, "Command516");
                                           textWhileOpen = text1Text(*form);
                                       });
        QVERIFY(opened);
        QCOMPARE(textWhileOpen, text);
        QCOMPARE(text1Text(*form), text);
        QCOMPARE(label3Text(*form), count);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        // The window works again afterwards.
        click(*form, "Command111");
        QCOMPARE(text1Text(*form), text + "0x03,");
    }

    // Saved through Qt's own dialog, changed, then closed: the question, whose Cancel keeps the
    // window open and whose 不保存 closes it and leaves the file alone.
    void closingAFileWithChangesNotSavedAsks() {
        QTemporaryDir folder;
        const QString tune = folder.filePath(QStringLiteral("tune.h"));
        const auto form = openWindow();
        click(*form, "Command323");
        QVERIFY(whileModal([&] { QTest::keyClick(text1(*form), Qt::Key_S, Qt::ControlModifier); },
                           [&](QWidget* modal) {
                               auto* dialog = qobject_cast<QFileDialog*>(modal);
                               QVERIFY(dialog != nullptr);
                               QCOMPARE(dialog->nameFilters(),
                                        QStringList({QStringLiteral("C 源文件 (*.h *.c)"),
                                                     QStringLiteral("所有文件 (*)")}));
                               // Typed as the user does: selectFile() leaves the name
                               // field alone whenever it already has the focus.
                               auto* name =
                                   dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                               QVERIFY(name != nullptr);
                               name->setText(tune);
                               static_cast<QDialog*>(dialog)->accept();
                           }));
        QCOMPARE(form->windowTitle(), QStringLiteral("tune.h - Quillon"));
        click(*form, "Command322");
        QCOMPARE(form->windowTitle(), QStringLiteral("*tune.h - Quillon"));

        const auto answer = [&](const QString& button) {
            return whileModal(
                [&] { form->close(); },
                [&](QWidget* modal) {
                    auto* box = qobject_cast<QMessageBox*>(modal);
                    QVERIFY(box != nullptr);
                    QStringList buttons;
                    QAbstractButton* chosen = nullptr;
                    for (QAbstractButton* each : box->buttons()) {
                        buttons << each->text();
                        if (each->text() == button) {
                            chosen = each;
                        }
                    }
                    buttons.sort();
                    QCOMPARE(buttons, QStringList({QStringLiteral("不保存"), QStringLiteral("保存"),
                                                   QStringLiteral("取消")}));
                    chosen->click();
                });
        };
        QVERIFY(answer(QStringLiteral("取消")));
        QVERIFY(form->isVisible());
        QVERIFY(answer(QStringLiteral("不保存")));
        QVERIFY(!form->isVisible());
        QFile saved(tune);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("const unsigned char music_item[] = {\r\n0x82,"));
    }

    // Last: it needs the window to be the only one.
    void closingTheWindowEndsTheEventLoop() {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        click(form, "Command111");
        bool gaveUp = false;
        QTimer::singleShot(0, &form, [&] { form.windowHandle()->close(); });
        QTimer::singleShot(5000, [&] {
            gaveUp = true;
            QCoreApplication::exit(1);
        });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!gaveUp);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(LifecycleTest)
#include "LifecycleTest.moc"
