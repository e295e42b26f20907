#include "Form1.h"
#include "TextBoxEdit.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

namespace {

// The start-up text and `codes` items, broken after every 16th as the composer breaks them.
std::u16string melody(long codes) {
    std::u16string text = u"const unsigned char music_item[] = {\r\n";
    for (long i = 1; i <= codes; ++i) {
        text += u"0x82,";
        if (i % 16 == 0) {
            text += u"\r\n";
        }
    }
    return text;
}

std::unique_ptr<quillon::Form1> shownWindow(long codes, benchmark::State& state) {
    auto form = std::make_unique<quillon::Form1>();
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) {
        state.SkipWithError("the window was not shown");
        return nullptr;
    }
    // Pasted over the start-up text, as a user brings in a long melody.
    auto* text1 = form->findChild<quillon::TextBoxEdit*>(QStringLiteral("Text1"));
    text1->selectAll();
    text1->insertPlainText(QString::fromStdU16String(melody(codes)).replace(
        QStringLiteral("\r\n"), QStringLiteral("\n")));
    QApplication::processEvents();
    return form;
}

// One click on a note button, as the platform delivers it, and the repaint it causes.
void BM_NoteClick(benchmark::State& state) {
    const auto form = shownWindow(state.range(0), state);
    if (!form) {
        return;
    }
    auto* button = form->findChild<QPushButton*>(QStringLiteral("Command323"));
    QWindow* window = form->windowHandle();
    const QPoint at = button->mapTo(form.get(), button->rect().center());
    for (auto _ : state) {
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_NoteClick)
    ->Arg(10'000)
    ->Arg(100'000)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// The floor: a bare QPlainTextEdit, dressed and placed as Text1 is, holding the same text, in a
// window of the composer's size. Each append is one insert at the end; lines hold 16 items, as
// the composer's automatic break makes them (one endless line would cost a relayout of all of
// it at every insert).
class BareWindow {
public:
    explicit BareWindow(long codes) : items_(codes) {
        const quillon::Form1 dresser;
        const auto* text1 = dresser.findChild<quillon::TextBoxEdit*>(QStringLiteral("Text1"));
        const auto* note = dresser.findChild<QPushButton*>(QStringLiteral("Command323"));
        window_.resize(dresser.size());
        edit_.setFont(text1->font());
        edit_.setGeometry(text1->geometry());
        edit_.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        button_.setGeometry(note->geometry());
        QObject::connect(&button_, &QPushButton::clicked, [this] { append(); });
        QTextCursor(edit_.document())
            .insertText(
                QString::fromStdU16String(melody(codes)).replace(QStringLiteral("\r\n"), "\n"));
        window_.show();
    }

    bool shown() { return QTest::qWaitForWindowExposed(&window_); }

    void append() {
        QTextCursor cursor = edit_.textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(++items_ % 16 == 0 ? QStringLiteral("0x82,\n") : QStringLiteral("0x82,"));
        edit_.setTextCursor(cursor);
        edit_.ensureCursorVisible();
    }

    void click() {
        QTest::mouseClick(window_.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          button_.geometry().center());
    }

private:
    QWidget window_;
    QPlainTextEdit edit_{&window_};
    QPushButton button_{&window_};
    long items_;
};

// The bare insert alone, and the repaint it causes.
void BM_BareTailInsert(benchmark::State& state) {
    BareWindow bare(state.range(0));
    if (!bare.shown()) {
        state.SkipWithError("the window was not shown");
        return;
    }
    QApplication::processEvents();
    for (auto _ : state) {
        bare.append();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_BareTailInsert)
    ->Arg(10'000)
    ->Arg(100'000)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// The same insert run by a click on a plain button beside the text box, as a note click runs
// the composer's append: the floor of what a click that appends costs in Qt.
void BM_BareClickTailInsert(benchmark::State& state) {
    BareWindow bare(state.range(0));
    if (!bare.shown()) {
        state.SkipWithError("the window was not shown");
        return;
    }
    QApplication::processEvents();
    for (auto _ : state) {
        bare.click();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_BareClickTailInsert)
    ->Arg(10'000)
    ->Arg(100'000)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// The findings brought up to date after one keystroke: the text read as C again and its
// underlines replaced, as happens once typing pauses.
void BM_FindingsAfterKeystroke(benchmark::State& state) {
    const auto form = shownWindow(state.range(0), state);
    if (!form) {
        return;
    }
    auto* text1 = form->findChild<quillon::TextBoxEdit*>(QStringLiteral("Text1"));
    text1->setFocus();
    QTextCursor caret = text1->textCursor();
    caret.setPosition(60);
    text1->setTextCursor(caret);
    int keystrokes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A blank typed and taken away in turn, in the middle of the melody.
        QTest::keyClick(text1, ++keystrokes % 2 == 0 ? Qt::Key_Backspace : Qt::Key_Space);
        state.ResumeTiming();
        // The check runs once typing has paused; waiting costs no processor time.
        QTest::qWait(130);
    }
}
BENCHMARK(BM_FindingsAfterKeystroke)
    ->Arg(10'000)
    ->Arg(100'000)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// Undo of one click and its redo, as Ctrl+Z and Ctrl+Shift+Z run them, with the repaints.
void BM_UndoRedoClick(benchmark::State& state) {
    const auto form = shownWindow(state.range(0), state);
    if (!form) {
        return;
    }
    auto* button = form->findChild<QPushButton*>(QStringLiteral("Command323"));
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      button->mapTo(form.get(), button->rect().center()));
    for (auto _ : state) {
        form->session().perform(quillon::SessionAction::Undo);
        QApplication::processEvents();
        form->session().perform(quillon::SessionAction::Redo);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_UndoRedoClick)->Arg(100'000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// At a human pace: a note click every 0.2 s, everything the window does between clicks (the
// check after the change, the repaint) included, against the bare window clicked the same way.
constexpr int kPaceMillis = 200;

void BM_PacedNoteClick(benchmark::State& state) {
    const auto form = shownWindow(state.range(0), state);
    if (!form) {
        return;
    }
    auto* button = form->findChild<QPushButton*>(QStringLiteral("Command323"));
    const QPoint at = button->mapTo(form.get(), button->rect().center());
    for (auto _ : state) {
        QTest::mouseClick(form->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::qWait(kPaceMillis);
    }
}
BENCHMARK(BM_PacedNoteClick)
    ->Arg(10'000)
    ->Arg(100'000)
    ->MeasureProcessCPUTime()
    ->Iterations(25)
    ->Unit(benchmark::kMillisecond);

void BM_PacedBareClick(benchmark::State& state) {
    BareWindow bare(state.range(0));
    if (!bare.shown()) {
        state.SkipWithError("the window was not shown");
        return;
    }
    for (auto _ : state) {
        bare.click();
        QTest::qWait(kPaceMillis);
    }
}
BENCHMARK(BM_PacedBareClick)
    ->Arg(10'000)
    ->Arg(100'000)
    ->MeasureProcessCPUTime()
    ->Iterations(25)
    ->Unit(benchmark::kMillisecond);

// From starting the process to its window shown and painted.
void BM_StartupToShown(benchmark::State& state) {
    for (auto _ : state) {
        QProcess probe;
        const auto started = std::chrono::steady_clock::now();
        probe.start(QStringLiteral(QUILLON_STARTUP_PROBE), {});
        if (!probe.waitForFinished(30'000) || probe.exitCode() != 0) {
            state.SkipWithError("the start-up probe failed");
            return;
        }
        const std::chrono::steady_clock::time_point shown{
            std::chrono::nanoseconds(probe.readAllStandardOutput().trimmed().toLongLong())};
        state.SetIterationTime(std::chrono::duration<double>(shown - started).count());
    }
}
BENCHMARK(BM_StartupToShown)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[]) {
    // Headless unless the caller asks for a platform; the probe inherits the choice.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
