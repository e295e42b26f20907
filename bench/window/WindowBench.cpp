#include "Form1.h"
#include "TextBoxEdit.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>
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

// One click on a note button, as the platform delivers it, and the repaint it causes.
void BM_NoteClick(benchmark::State& state) {
    quillon::Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        state.SkipWithError("the window was not shown");
        return;
    }
    form.findChild<quillon::TextBoxEdit*>(QStringLiteral("Text1"))->setText(melody(state.range(0)));
    QApplication::processEvents();

    auto* button = form.findChild<QPushButton*>(QStringLiteral("Command323"));
    QWindow* window = form.windowHandle();
    const QPoint at = button->mapTo(&form, button->rect().center());
    for (auto _ : state) {
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_NoteClick)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

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
