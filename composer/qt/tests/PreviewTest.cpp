// The preview and the checks as the real widgets show them: F5 and Esc from any control, the
// context menu's entries, the element being heard lit (and framed, so that a selection cannot
// hide it), findings underlined as a red wave or a quiet grey dotted line, and their tooltip.
// What is played when, and what is found, are the session's and are tested there.
#include "FakeSoundSink.h"
#include "WindowTestSupport.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QRegularExpression>
#include <QTextDocument>
#include <QToolTip>

using namespace quillon;
using namespace quillon::test;

namespace {

QString litText(TextBoxEdit* box) {
    for (const QTextEdit::ExtraSelection& selection : box->extraSelections()) {
        if (selection.format.hasProperty(QTextFormat::BackgroundBrush)) {
            return selection.cursor.selectedText();
        }
    }
    return {};
}

QStringList underlined(TextBoxEdit* box, QTextCharFormat::UnderlineStyle style) {
    QStringList out;
    for (const QTextEdit::ExtraSelection& selection : box->extraSelections()) {
        if (selection.format.underlineStyle() == style) {
            out << selection.cursor.selectedText();
        }
    }
    return out;
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

    void f5AndEscWorkFromAnyControlAndTheLightShowsThroughASelection() {
        click(*form_, "Command311"); // 0x73 C5, 400 ms
        click(*form_, "Command333"); // 0x81 E5, 100 ms
        // The focus is on the last button clicked.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        sink_->hearAt(450);
        QTRY_COMPARE(litText(box_), QStringLiteral("0x81"));

        // Ctrl+A selects the whole text; the lit element stays visible, framed over it.
        box_->setFocus();
        QTest::keyClick(box_, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(box_->textCursor().hasSelection());
        QTest::keyClick(box_, Qt::Key_F5);
        sink_->hearAt(10);
        QTRY_COMPARE(litText(box_), QStringLiteral("0x73"));
        const QImage shot = box_->viewport()->grab().toImage();
        QTextCursor at(box_->document());
        at.setPosition(static_cast<int>(kHeaderLine.size()) - 1);
        const QRect element = box_->cursorRect(at);
        bool framed = false;
        for (int y = element.top(); y <= element.bottom() && !framed; ++y) {
            const QColor pixel = shot.pixelColor(element.left(), y);
            framed = pixel.red() > 200 && pixel.green() > 100 && pixel.green() < 180 &&
                     pixel.blue() < 60;
        }
        QVERIFY2(framed, "no frame round the lit element over the selection");

        QTest::keyClick(box_, Qt::Key_Escape);
        QCOMPARE(litText(box_), QString());
        QCOMPARE(text1Text(*form_), kHeaderLine + "0x73,0x81,");
    }

    void theContextMenuPlaysStopsAndSwitchesClickSound() {
        click(*form_, "Command311");
        QMenu* menu = openContextMenu(box_);
        QVERIFY(menu != nullptr);
        QAction* play = entry(menu, QStringLiteral("播放旋律 (F5)"));
        QAction* stop = entry(menu, QStringLiteral("停止 (Esc)"));
        QAction* sound = entry(menu, QStringLiteral("点击音符时发音"));
        QVERIFY(play != nullptr && stop != nullptr && sound != nullptr);
        QVERIFY(!stop->isEnabled());
        QVERIFY(sound->isCheckable() && sound->isChecked());
        // Qt's own entries are still there.
        QVERIFY(menu->findChild<QAction*>(QStringLiteral("edit-copy")) != nullptr);
        play->trigger();
        menu->close();
        sink_->hearAt(5);
        QTRY_COMPARE(litText(box_), QStringLiteral("0x73"));
        menu = openContextMenu(box_);
        stop = entry(menu, QStringLiteral("停止 (Esc)"));
        QVERIFY(stop->isEnabled());
        stop->trigger();
        menu->close();
        QCOMPARE(litText(box_), QString());

        menu = openContextMenu(box_);
        entry(menu, QStringLiteral("点击音符时发音"))->trigger();
        menu->close();
        const int plays = sink_->plays;
        click(*form_, "Command313");
        QCOMPARE(sink_->plays, plays);
    }

    void findingsAreUnderlinedAndExplained() {
        // The new window: a quiet hint that the melody has not been ended, no red wave.
        QTRY_COMPARE(underlined(box_, QTextCharFormat::DotLine).size(), 1);
        QCOMPARE(underlined(box_, QTextCharFormat::WaveUnderline), QStringList());

        click(*form_, "Command311");
        click(*form_, "Command515");
        const int melodyStart = static_cast<int>(kHeaderLine.size()) - 1;
        QTextCursor caret = box_->textCursor();
        caret.setPosition(melodyStart + 5); // after "0x73,"
        box_->setTextCursor(caret);
        QTest::keyClicks(box_, "0xe9,");
        QTRY_COMPARE(underlined(box_, QTextCharFormat::WaveUnderline),
                     QStringList{QStringLiteral("0xe9")});
        QCOMPARE(underlined(box_, QTextCharFormat::DotLine), QStringList());

        QTextCursor at(box_->document());
        at.setPosition(melodyStart + 6);
        const QPoint inside = box_->cursorRect(at).center();
        QHelpEvent help(QEvent::ToolTip, inside, box_->viewport()->mapToGlobal(inside));
        QApplication::sendEvent(box_->viewport(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(QStringLiteral("28")));
        QVERIFY(QToolTip::text().contains(QRegularExpression(QStringLiteral("\\p{Han}"))));
        QToolTip::hideText();
    }

private:
    std::unique_ptr<Form1> form_;
    FakeSoundSink* sink_ = nullptr;
    TextBoxEdit* box_ = nullptr;
};

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
