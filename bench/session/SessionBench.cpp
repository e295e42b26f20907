// One note click through the session, with the check it brings, on a melody of a given number
// of codes, against fake controls: what the core adds to a click whatever the window.
#include "FakeWindow.h"
#include "quillon/MusicCode.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using quillon::test::SessionHarness;

void BM_SessionNoteClick(benchmark::State& state) {
    SessionHarness h;
    std::u16string melody = h.text1.text();
    for (long i = 1; i <= state.range(0); ++i) {
        melody += u"0x82,";
        if (i % 16 == 0) {
            melody += u"\r\n";
        }
    }
    // Pasted by the user: one change, then checked.
    h.text1.type(h.text1.text().size(), melody.substr(h.text1.text().size()));
    h.timers.advance(200);
    long clicks = 0;
    for (auto _ : state) {
        h.click("Command323");
        if (++clicks % 4096 == 0) {
            state.PauseTiming();
            h.click("Command516");
            h.text1.type(h.text1.text().size(), melody.substr(h.text1.text().size()));
            h.timers.advance(200);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_SessionNoteClick)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

} // namespace
