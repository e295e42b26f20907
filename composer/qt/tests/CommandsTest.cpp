// Real clicks on the note grid and the bottom row, against the note code table as designed.
#include "WindowTestSupport.h"

#include <QTextCursor>

#include <array>

using namespace quillon;
using namespace quillon::test;

namespace {

// The note code table: one row per group and row of the grid, degrees 1 to 7.
const std::array<std::array<const char*, 7>, 12> kNoteItems{{
    {"0x03", "0x0b", "0x13", "0x1b", "0x23", "0x2b", "0x33"},
    {"0x02", "0x0a", "0x12", "0x1a", "0x22", "0x2a", "0x32"},
    {"0x01", "0x09", "0x11", "0x19", "0x21", "0x29", "0x31"},
    {"0x3b", "0x43", "0x4b", "0x53", "0x5b", "0x63", "0x6b"},
    {"0x3a", "0x42", "0x4a", "0x52", "0x5a", "0x62", "0x6a"},
    {"0x39", "0x41", "0x49", "0x51", "0x59", "0x61", "0x69"},
    {"0x73", "0x7b", "0x83", "0x8b", "0x93", "0x9b", "0xa3"},
    {"0x72", "0x7a", "0x82", "0x8a", "0x92", "0x9a", "0xa2"},
    {"0x71", "0x79", "0x81", "0x89", "0x91", "0x99", "0xa1"},
    {"0xab", "0xb3", "0xbb", "0xc3", "0xcb", "0xd3", "0xdb"},
    {"0xaa", "0xb2", "0xba", "0xc2", "0xca", "0xd2", "0xda"},
    {"0xa9", "0xb1", "0xb9", "0xc1", "0xc9", "0xd1", "0xd9"},
}};

void setText1(const QWidget& form, const QString& text) {
    pasteOver(text1(form), text);
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { form_ = openWindow(); }
    void cleanup() { form_.reset(); }

    void everyNoteButtonAppendsItsItem() {
        // All 84 in a row after start-up: each appends its item and ",", and the automatic
        // line break follows every 16th.
        QString expected = kHeaderLine;
        int clicks = 0;
        for (int g = 1; g <= 4; ++g) {
            for (int r = 1; r <= 3; ++r) {
                for (int c = 1; c <= 7; ++c) {
                    const QString name = QStringLiteral("Command%1%2%3").arg(g).arg(r).arg(c);
                    click(*form_, name);
                    ++clicks;
                    expected += QString::fromLatin1(kNoteItems[static_cast<std::size_t>(
                                    (g - 1) * 3 + r - 1)][static_cast<std::size_t>(c - 1)]) +
                                ',';
                    if (clicks % 16 == 0) {
                        expected += QStringLiteral("\r\n");
                    }
                    QVERIFY2(text1Text(*form_) == expected, qPrintable(name));
                    QCOMPARE(label3Text(*form_), QStringLiteral(" %1").arg(clicks));
                }
            }
        }
    }

    void aClickTakesTheFocusAndAppendsAtTheEnd() {
        TextBoxEdit* box = text1(*form_);
        QTest::keyClicks(box, "ab");
        QTextCursor caret = box->textCursor();
        caret.setPosition(3);
        box->setTextCursor(caret);

        auto* button = control<QPushButton>(*form_, "Command323");
        click(button);
        QCOMPARE(QApplication::focusWidget(), button);
        QCOMPARE(text1Text(*form_), kHeaderLine + "ab0x82,");
        // Two typed characters and one click.
        QCOMPARE(label3Text(*form_), QStringLiteral(" 3"));
    }

    // The editor's tests hold the whole extend table; these rows rewrite one and two digits.
    void extendRaisesTheLastItem_data() {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("afterwards");
        QTest::newRow("0e") << "0x0e,"
                            << "0x0F,";
        QTest::newRow("0f") << "0x0f,"
                            << "0x10,";
        QTest::newRow("d9") << "0xd9,"
                            << "0xDA,";
    }
    void extendRaisesTheLastItem() {
        QFETCH(QString, ending);
        QFETCH(QString, afterwards);
        setText1(*form_, kHeaderLine + "0x03," + ending);
        click(*form_, "Command511");
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x03," + afterwards);
    }

    void restLineBreakAndEnd() {
        click(*form_, "Command512");
        QCOMPARE(text1Text(*form_), kHeaderLine + "0xf8,");
        click(*form_, "Command514");
        QCOMPARE(text1Text(*form_), kHeaderLine + "0xf8,\r\n");
        click(*form_, "Command515");
        QCOMPARE(text1Text(*form_), kHeaderLine + "0xf8,\r\n0x00};\r\n");
        click(*form_, "Command512");
        QCOMPARE(text1Text(*form_), kHeaderLine + "0xf8,\r\n0x00};\r\n0xf8,");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 4"));
    }

    void endAfterFifteenNotesGetsTheAutomaticBreakToo() {
        for (int i = 0; i < 15; ++i) {
            click(*form_, "Command111");
        }
        click(*form_, "Command515");
        QVERIFY(text1Text(*form_).endsWith("0x03,0x00};\r\n\r\n"));
        QCOMPARE(label3Text(*form_), QStringLiteral(" 16"));
    }

    void clearLeavesTheStateOfStartUp() {
        for (int i = 0; i < 20; ++i) {
            click(*form_, "Command437");
        }
        click(*form_, "Command516");
        QCOMPARE(text1Text(*form_), kHeaderLine);
        QCOMPARE(label3Text(*form_), QStringLiteral("0"));

        // Counting and breaking start again as after start-up.
        for (int i = 1; i <= 16; ++i) {
            click(*form_, "Command131");
            QCOMPARE(label3Text(*form_), QStringLiteral(" %1").arg(i));
        }
        QCOMPARE(text1Text(*form_), kHeaderLine + QString("0x01,").repeated(16) + "\r\n");
    }

    void clearRightAfterStartUpStillCountsItsWrite() {
        // The text is already the header: the write changes nothing but is still change 1.
        click(*form_, "Command516");
        click(*form_, "Command516");
        for (int i = 0; i < 16; ++i) {
            click(*form_, "Command111");
        }
        QCOMPARE(text1Text(*form_), kHeaderLine + QString("0x03,").repeated(16) + "\r\n");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 16"));
    }

    void keyboardPressesTheFocusedButton() {
        auto* button = control<QPushButton>(*form_, "Command512");
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0xf8,");
        // Enter and Return too, on picture and caption buttons alike.
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0xf8,0xf8,0xf8,");
        auto* end = control<QPushButton>(*form_, "Command515");
        end->setFocus();
        QTest::keyClick(end, Qt::Key_Return);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0xf8,0xf8,0xf8,0x00};\r\n");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 4"));
        // With a modifier, Return is not a press.
        QTest::keyClick(end, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(label3Text(*form_), QStringLiteral(" 4"));
    }

    void tabWalksFromTheTextBoxToTheButtons() {
        TextBoxEdit* box = text1(*form_);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Tab);
        auto* first = qobject_cast<QPushButton*>(QApplication::focusWidget());
        QVERIFY(first != nullptr);
        QTest::keyClick(first, Qt::Key_Return);
        QVERIFY(text1Text(*form_).size() > kHeaderLine.size());
    }

private:
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"
