// The preview in the window, with a sound sink whose listener the test moves: F5 plays what
// Text1 holds, the element being heard is lit, playing leaves text, count, caret and history
// alone, a change stops it, clicked notes sound, and findings are underlined and explained.
#include "FakeSoundSink.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTextDocument>
#include <QToolTip>

using namespace quillon;
using namespace quillon::test;

namespace {

// The lit element: the extra selection with a background.
QString litText(TextBoxEdit* box) {
    for (const QTextEdit::ExtraSelection& selection : box->extraSelections()) {
        if (selection.format.hasProperty(QTextFormat::BackgroundBrush)) {
            return selection.cursor.selectedText();
        }
    }
    return {};
}

QStringList underlined(TextBoxEdit* box) {
    QStringList out;
    for (const QTextEdit::ExtraSelection& selection : box->extraSelections()) {
        if (selection.format.underlineStyle() == QTextCharFormat::WaveUnderline) {
            out << selection.cursor.selectedText();
        }
    }
    return out;
}

// Lets the window's timers run: the poll of what is heard, the check after a change.
void settle() {
    QTest::qWait(150);
}

QAction* entry(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        auto sink = std::make_unique<FakeSoundSink>();
        sink_ = sink.get();
        form_ = openWindow(LocalClock(), std::move(sink));
        box_ = text1(*form_);
    }
    void cleanup() { form_.reset(); }

    void f5PlaysTheMelodyAndLightsWhatIsHeard() {
        click(*form_, "Command311"); // 0x73 C5, 400 ms
        click(*form_, "Command512"); // rest, 400 ms
        click(*form_, "Command333"); // 0x81 E5, 100 ms
        const int playsBefore = sink_->plays;
        QTest::keyClick(form_.get(), Qt::Key_F5);
        QCOMPARE(sink_->plays, playsBefore + 1);

        const struct {
            int millis;
            const char* lit;
        } moments[] = {{1, "0x73"}, {390, "0x73"}, {450, "0xf8"}, {850, "0x81"}};
        for (const auto& moment : moments) {
            sink_->hearAt(moment.millis);
            QTRY_COMPARE(litText(box_), QString::fromLatin1(moment.lit));
        }
        // The melody was 900 ms long; after its last element the light goes out.
        const std::int64_t pulled = sink_->pulled();
        QCOMPARE(pulled + static_cast<std::int64_t>(sink_->pullAll().size()),
                 std::int64_t{(400 + 400 + 100) * 8});
        sink_->hearAt(900);
        QTRY_COMPARE(litText(box_), QString());
    }

    void playingLeavesTextCountCaretAndHistoryAlone() {
        click(*form_, "Command311");
        click(*form_, "Command321");
        box_->setFocus();
        QTextCursor caret = box_->textCursor();
        caret.setPosition(3);
        caret.setPosition(9, QTextCursor::KeepAnchor);
        box_->setTextCursor(caret);
        const QString text = text1Text(*form_);
        const QString count = label3Text(*form_);
        const int undoSteps = box_->document()->availableUndoSteps();

        QTest::keyClick(box_, Qt::Key_F5);
        for (int millis : {0, 200, 410, 500}) {
            sink_->hearAt(millis);
            settle();
            QCOMPARE(text1Text(*form_), text);
            QCOMPARE(label3Text(*form_), count);
            QCOMPARE(box_->textCursor().anchor(), 3);
            QCOMPARE(box_->textCursor().position(), 9);
            QCOMPARE(box_->document()->availableUndoSteps(), undoSteps);
            QVERIFY(!box_->document()->isRedoAvailable());
        }
    }

    void aChangeStopsPlayingAndF5StartsAgain() {
        click(*form_, "Command311");
        click(*form_, "Command312");
        QTest::keyClick(box_, Qt::Key_F5);
        sink_->hearAt(500);
        QTRY_COMPARE(litText(box_), QStringLiteral("0x7b"));

        // F5 while playing starts from the first element again.
        QTest::keyClick(box_, Qt::Key_F5);
        sink_->hearAt(10);
        QTRY_COMPARE(litText(box_), QStringLiteral("0x73"));

        // Typing is a change: it stops the melody.
        const int stops = sink_->stops;
        QTest::keyClicks(box_, " ");
        QVERIFY(sink_->stops > stops);
        QCOMPARE(litText(box_), QString());

        // So is undo.
        QTest::keyClick(box_, Qt::Key_F5);
        sink_->hearAt(1);
        QTRY_VERIFY(!litText(box_).isEmpty());
        QTest::keyClick(box_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(litText(box_), QString());

        // And Esc stops without a change.
        QTest::keyClick(box_, Qt::Key_F5);
        sink_->hearAt(1);
        QTRY_VERIFY(!litText(box_).isEmpty());
        const QString text = text1Text(*form_);
        QTest::keyClick(box_, Qt::Key_Escape);
        QCOMPARE(litText(box_), QString());
        QCOMPARE(text1Text(*form_), text);
    }

    void noteClicksSoundTheirNoteUnlessSwitchedOff() {
        click(*form_, "Command313"); // E5, 400 ms
        QCOMPARE(sink_->plays, 1);
        QCOMPARE(sink_->pullAll().size(), std::size_t{400 * 8});
        click(*form_, "Command437"); // B6, 100 ms
        QCOMPARE(sink_->plays, 2);
        QCOMPARE(sink_->pullAll().size(), std::size_t{100 * 8});
        // The rest button cuts the note off and stays silent.
        const int stops = sink_->stops;
        click(*form_, "Command512");
        QCOMPARE(sink_->plays, 2);
        QVERIFY(sink_->stops > stops);
        QVERIFY(!sink_->hasSource());

        QMenu* menu = openContextMenu(box_);
        QVERIFY(menu != nullptr);
        QAction* soundOnClick = entry(menu, QStringLiteral("点击音符时发音"));
        QVERIFY(soundOnClick != nullptr);
        QVERIFY(soundOnClick->isCheckable());
        QVERIFY(soundOnClick->isChecked());
        soundOnClick->trigger();
        menu->close();
        click(*form_, "Command313");
        QCOMPARE(sink_->plays, 2);
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x83,0xd9,0xf8,0x83,");
    }

    void theContextMenuPlaysAndStops() {
        click(*form_, "Command311");
        QMenu* menu = openContextMenu(box_);
        QVERIFY(menu != nullptr);
        QAction* play = entry(menu, QStringLiteral("播放旋律 (F5)"));
        QAction* stop = entry(menu, QStringLiteral("停止 (Esc)"));
        QVERIFY(play != nullptr && stop != nullptr);
        QVERIFY(!stop->isEnabled());
        // Qt's own entries are still there.
        QVERIFY(menu->findChild<QAction*>(QStringLiteral("edit-undo")) != nullptr);
        play->trigger();
        menu->close();
        sink_->hearAt(1);
        QTRY_COMPARE(litText(box_), QStringLiteral("0x73"));
        menu = openContextMenu(box_);
        stop = entry(menu, QStringLiteral("停止 (Esc)"));
        QVERIFY(stop->isEnabled());
        stop->trigger();
        menu->close();
        QCOMPARE(litText(box_), QString());
    }

    void findingsAreUnderlinedExplainedAndGo() {
        click(*form_, "Command311");
        click(*form_, "Command515"); // End: a complete, clean melody
        QTRY_COMPARE(underlined(box_), QStringList());

        // An element with note index 29 after the end is twice wrong; typed before the End it
        // has no pitch.
        // The header line is one position shorter in the document: its break is one character.
        const int melodyStart = static_cast<int>(kHeaderLine.size()) - 1;
        QTextCursor caret = box_->textCursor();
        caret.setPosition(melodyStart + 5); // after "0x73,"
        box_->setTextCursor(caret);
        QTest::keyClicks(box_, "0xe9,");
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x73,0xe9,0x00};\r\n");
        QTRY_COMPARE(underlined(box_), QStringList{QStringLiteral("0xe9")});

        // Hovering the underline explains it, in Chinese.
        QTextCursor at(box_->document());
        at.setPosition(melodyStart + 6);
        const QPoint inside = box_->cursorRect(at).center();
        QHelpEvent help(QEvent::ToolTip, inside, box_->viewport()->mapToGlobal(inside));
        QApplication::sendEvent(box_->viewport(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        // It names the note indexes without a pitch.
        QVERIFY(QToolTip::text().contains(QStringLiteral("28")));
        QVERIFY(QToolTip::text().contains(QRegularExpression(QStringLiteral("\\p{Han}"))));
        QToolTip::hideText();

        // Taken back, the underline goes.
        QTest::keyClick(box_, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(underlined(box_), QStringList());
        // The checks never touched the text or the count.
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x73,0x00};\r\n");
        QCOMPARE(label3Text(*form_), QStringLiteral(" 2"));
    }

private:
    std::unique_ptr<Form1> form_;
    FakeSoundSink* sink_ = nullptr;
    TextBoxEdit* box_ = nullptr;
};

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
