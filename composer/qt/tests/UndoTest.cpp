// Undo and redo in the real window, driven by the keys a user presses in Text1: the text, the
// count and the line rhythm travel back together, and walking the history is never a change.
#include "WindowTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QTextCursor>
#include <QTextDocument>

using namespace quillon;
using namespace quillon::test;

namespace {

// `count` items, broken after every 16th as the automatic break does with notes alone.
QString items(const QString& item, int count) {
    QString out;
    for (int i = 1; i <= count; ++i) {
        out += item + ',';
        if (i % 16 == 0) {
            out += QStringLiteral("\r\n");
        }
    }
    return out;
}

void clicks(const QWidget& form, const QString& button, int count) {
    for (int i = 0; i < count; ++i) {
        click(form, button);
    }
}

void undoKey(const QWidget& form) {
    TextBoxEdit* box = text1(form);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
}

void redoKey(const QWidget& form) {
    TextBoxEdit* box = text1(form);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
}

bool redoAvailable(const QWidget& form) {
    return text1(form)->document()->isRedoAvailable();
}

} // namespace

class UndoTest : public QObject {
    Q_OBJECT

private slots:
    void init() { form_ = openWindow(); }
    void cleanup() { form_.reset(); }

    // Fault: the undo counted as the 17th change, wrote a line break and so wiped the redo.
    void undoNeitherBreaksTheLineNorWipesTheRedo() {
        clicks(*form_, "Command111", 15);
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 14));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 14"));
        QVERIFY(redoAvailable(*form_));
        redoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 15));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 15"));
        QVERIFY(!redoAvailable(*form_));
    }

    // Fault: after 16 undos, none of the 16 notes came back.
    void sixteenUndosAndRedosGiveEverythingBack() {
        clicks(*form_, "Command111", 16);
        for (int i = 16; i > 0; --i) {
            undoKey(*form_);
            QCOMPARE(label3Text(*form_), QStringLiteral(" %1").arg(i - 1));
        }
        QCOMPARE(text1Text(*form_), kHeaderLine);
        for (int i = 1; i <= 16; ++i) {
            redoKey(*form_);
            QCOMPARE(label3Text(*form_), QStringLiteral(" %1").arg(i));
        }
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 16));
        // The line rhythm goes on as if nothing happened: the next break follows item 32.
        clicks(*form_, "Command111", 16);
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 32));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 32"));
    }

    // Fault: undo of Clear brought the melody back with the count of the Clear (" 1").
    void undoOfClearBringsBackTheCount() {
        clicks(*form_, "Command111", 20);
        click(*form_, "Command516");
        QCOMPARE(label3Text(*form_), QStringLiteral("0"));
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 20));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 20"));
        clicks(*form_, "Command111", 12);
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 32));

        // Redo of the Clear shows the bare "0" again.
        click(*form_, "Command516");
        undoKey(*form_);
        redoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine);
        QCOMPARE(label3Text(*form_), QStringLiteral("0"));
    }

    // Fault: undoing a click raised the count.
    void undoingAClickLowersTheCount() {
        clicks(*form_, "Command111", 5);
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 4));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 4"));
    }

    // Fault: typing right after a click was undone together with the click.
    void typingIsAnUndoStepOfItsOwn() {
        click(*form_, "Command111");
        click(*form_, "Command211");
        TextBoxEdit* box = text1(*form_);
        box->setFocus();
        QTest::keyClicks(box, "ab");
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,0x3b,ab");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 4"));
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,0x3b,");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 2"));
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 1"));
        redoKey(*form_);
        redoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,0x3b,ab");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 4"));
    }

    void aClickAfterTypingIsAnUndoStepOfItsOwn() {
        TextBoxEdit* box = text1(*form_);
        QTest::keyClicks(box, "xy");
        click(*form_, "Command323");
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + "xy");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 2"));
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine);
        QCOMPARE(label3Text(*form_), QStringLiteral(" 0"));
    }

    void everyCommandIsOneUndoStep_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("count");
        QTest::newRow("note") << "Command437"
                              << "0x03,0xd9,"
                              << " 2";
        QTest::newRow("extend") << "Command511"
                                << "0x04,"
                                << " 2";
        QTest::newRow("rest") << "Command512"
                              << "0x03,0xf8,"
                              << " 2";
        QTest::newRow("line break") << "Command514"
                                    << "0x03,\r\n"
                                    << " 2";
        QTest::newRow("End") << "Command515"
                             << "0x03,0x00};\r\n"
                             << " 2";
        QTest::newRow("Clear") << "Command516"
                               << ""
                               << "0";
    }
    void everyCommandIsOneUndoStep() {
        QFETCH(QString, button);
        QFETCH(QString, after);
        QFETCH(QString, count);
        click(*form_, "Command111");
        click(*form_, button);
        QCOMPARE(text1Text(*form_), kHeaderLine + after);
        QCOMPARE(label3Text(*form_), count);
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 1"));
        redoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + after);
        QCOMPARE(label3Text(*form_), count);
    }

    void theStartUpTextIsTheBottomOfTheHistory() {
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine);
        QCOMPARE(label3Text(*form_), QStringLiteral(" 0"));
        QVERIFY(!text1(*form_)->document()->isUndoAvailable());
    }

    void aChangeAfterUndoCutsTheRedoAndCountsFromThere() {
        clicks(*form_, "Command111", 10);
        for (int i = 0; i < 3; ++i) {
            undoKey(*form_);
        }
        click(*form_, "Command512");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 8"));
        QVERIFY(!redoAvailable(*form_));
        clicks(*form_, "Command111", 8);
        QCOMPARE(text1Text(*form_),
                 kHeaderLine + items("0x03", 7) + "0xf8," + items("0x03", 8) + "\r\n");
    }

    // The break that a typed character triggers is a program write: one undo takes it alone.
    void theBreakOfATypedCharacterIsUndoneFirst() {
        clicks(*form_, "Command111", 15);
        TextBoxEdit* box = text1(*form_);
        QTextCursor caret = box->textCursor();
        caret.setPosition(0);
        box->setTextCursor(caret);
        QTest::keyClicks(box, "x");
        QCOMPARE(text1Text(*form_), "x" + kHeaderLine + items("0x03", 15) + "\r\n");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 16"));
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), "x" + kHeaderLine + items("0x03", 15));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 16"));
        undoKey(*form_);
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 15));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 15"));
        redoKey(*form_);
        redoKey(*form_);
        QCOMPARE(text1Text(*form_), "x" + kHeaderLine + items("0x03", 15) + "\r\n");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 16"));
    }

    void undoAndRedoFromTheContextMenuKeepTheCount() {
        clicks(*form_, "Command111", 3);
        TextBoxEdit* box = text1(*form_);
        auto runFromMenu = [&](const char* entry) {
            QMenu* opened = openContextMenu(box);
            QVERIFY(opened != nullptr);
            QAction* action = opened->findChild<QAction*>(QString::fromLatin1(entry));
            QVERIFY(action != nullptr);
            QVERIFY(action->isEnabled());
            action->trigger();
            opened->close();
        };
        runFromMenu("edit-undo");
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 2));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 2"));
        runFromMenu("edit-redo");
        QCOMPARE(text1Text(*form_), kHeaderLine + items("0x03", 3));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 3"));
    }

private:
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(UndoTest)
#include "UndoTest.moc"
