// One note click on a document of a given number of code items: AppendCodeItem and the change
// handler it raises, against the tests' fake text box.
#include "EditorHarness.h"
#include "quillon/MusicCode.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

using quillon::test::EditorHarness;

void noteClick(benchmark::State& state) {
    const auto items = static_cast<std::size_t>(state.range(0));
    EditorHarness h;
    h.text1.keepsUndoPoints = false;
    // Lay out the document as note clicks would: 16 items to a line.
    std::u16string document = h.text1.text();
    for (std::size_t i = 1; i <= items; ++i) {
        document += quillon::codeItem(static_cast<quillon::MusicCode>(i % 0xdb + 1));
        document += u",";
        if (i % 16 == 0) {
            document += u"\r\n";
        }
    }
    h.text1.setText(document);
    const std::size_t length = document.size();

    // Clicks run in batches that grow the document by a few per cent at most; between batches
    // the untimed user deletes what they added.
    const std::size_t batch = std::max<std::size_t>(items / 100, 32);
    std::size_t clicks = 0;
    for (auto _ : state) {
        h.editor.AppendCodeItem(u"0x82");
        if (++clicks % batch == 0) {
            state.PauseTiming();
            h.text1.type(length, u"", h.text1.text().size() - length);
            // Keep the counter off its stop, so that every 17th change still breaks the line.
            if (h.editor.counter().ChangeCount > 30'000) {
                h.editor.ResetCodeCounter();
            }
            state.ResumeTiming();
        }
    }
    state.SetComplexityN(state.range(0));
}

BENCHMARK(noteClick)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

} // namespace
