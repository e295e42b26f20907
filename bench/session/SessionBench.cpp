// One note click through the session, with the check it brings, on a melody of a given number
// of codes, against fake controls: what the core adds to a click whatever the window.
#include "FakeWindow.h"
#include "quillon/MelodyFile.h"
#include "quillon/MusicCode.h"
#include "quillon/TextCodec.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
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

std::u16string melodyOf(long codes) {
    std::u16string melody = u"const unsigned char music_item[] = {\r\n";
    for (long i = 1; i <= codes; ++i) {
        melody += u"0x82,";
        if (i % 16 == 0) {
            melody += u"\r\n";
        }
    }
    return melody;
}

// What keeping the melody costs each time it is written, twice a second while the user clicks:
// the text encoded and replaced on the disk. Beside it the floor, one copy of the text.
void BM_KeptMelodyWrite(benchmark::State& state) {
    const std::u16string melody = melodyOf(state.range(0));
    std::string folder = (std::filesystem::temp_directory_path() / "quillon-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    const std::filesystem::path file = std::filesystem::path(folder) / "kept.h";
    for (auto _ : state) {
        benchmark::DoNotOptimize(quillon::writeMelodyFile(file, melody));
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_KeptMelodyWrite)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

void BM_KeptMelodyEncode(benchmark::State& state) {
    const std::u16string melody = melodyOf(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(quillon::encodeUtf8(melody));
    }
}
BENCHMARK(BM_KeptMelodyEncode)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

void BM_TextCopyFloor(benchmark::State& state) {
    const std::u16string melody = melodyOf(state.range(0));
    for (auto _ : state) {
        std::u16string copy = melody;
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_TextCopyFloor)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

} // namespace
