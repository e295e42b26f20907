// Undo and redo reach the session from the real widgets: the keys users press in Text1 (Ctrl+Z,
// Ctrl+Y and Ctrl+Shift+Z) and the context menu's entries, with the count following the text.
// The rules themselves are the session's and are tested there.
#include "WindowTestSupport.h"

#include <QAction>
#include <QMenu>

using namespace quillon;
using namespace quillon::test;

class UndoTest : public QObject {
    Q_OBJECT

private slots:
    void init() { form_ = openWindow(); }
    void cleanup() { form_.reset(); }

    void theKeysWalkTheSessionsHistory() {
        for (int i = 0; i < 3; ++i) {
            click(*form_, "Command111");
        }
        TextBoxEdit* box = text1(*form_);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,0x03,");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 2"));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,0x03,");
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,0x03,0x03,");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 3"));
        // Typing goes to the session as a change of its own: one undo takes it back.
        QTest::keyClicks(box, "ab");
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,0x03,0x03,");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 3"));
    }

    void theContextMenuEntriesWalkItToo() {
        for (int i = 0; i < 3; ++i) {
            click(*form_, "Command111");
        }
        TextBoxEdit* box = text1(*form_);
        auto runFromMenu = [&](const char* entry, bool enabled) {
            QMenu* opened = openContextMenu(box);
            QVERIFY(opened != nullptr);
            QAction* action = opened->findChild<QAction*>(QString::fromLatin1(entry));
            QVERIFY(action != nullptr);
            QCOMPARE(action->isEnabled(), enabled);
            if (enabled) {
                action->trigger();
            }
            opened->close();
        };
        runFromMenu("edit-redo", false);
        runFromMenu("edit-undo", true);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,0x03,");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 2"));
        runFromMenu("edit-redo", true);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03,0x03,0x03,");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 3"));
    }

private:
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(UndoTest)
#include "UndoTest.moc"
