// The melody reader on composer-sized texts and the melody stream on a long melody, each beside a
// baseline that touches the same data as cheaply as possible, so that the ratio says what the
// work itself costs on this machine.
#include "quillon/MelodyCheck.h"
#include "quillon/MelodyReader.h"
#include "quillon/MelodyStream.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A text as the composer lays it out: header, 16 items to a line; while composing it has no
// terminator yet.
std::u16string unfinishedText(std::size_t codes) {
    static constexpr char16_t digits[] = u"0123456789abcdef";
    std::u16string text = u"const unsigned char music_item[] = {\r\n";
    for (std::size_t i = 1; i <= codes; ++i) {
        const auto code = static_cast<unsigned>(i % 0xdb + 1);
        text += {u'0', u'x', digits[code >> 4], digits[code & 15], u','};
        if (i % 16 == 0) {
            text += u"\r\n";
        }
    }
    return text;
}

// A finished text: the terminator after the codes.
std::u16string composerText(std::size_t codes) {
    return unfinishedText(codes) + u"0x00};\r\n";
}

void readMelody(benchmark::State& state) {
    const std::u16string text = composerText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(quillon::readMelody(text));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() * 2));
}

// Baseline: one pass over the same text that looks at every character.
void countCommas(benchmark::State& state) {
    const std::u16string text = composerText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::count(text.begin(), text.end(), u','));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() * 2));
}

// Baseline: copying the text, as the window does when it takes it out of the document.
void copyText(benchmark::State& state) {
    const std::u16string text = composerText(static_cast<std::size_t>(state.range(0)));
    std::u16string copy(text.size(), u' ');
    for (auto _ : state) {
        std::memcpy(copy.data(), text.data(), text.size() * 2);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size() * 2));
}

// One keystroke in the middle of the text, then the whole text read again for the findings.
void readAfterKeystroke(benchmark::State& state) {
    std::u16string text = composerText(static_cast<std::size_t>(state.range(0)));
    const std::size_t digit = text.find(u"0x", text.size() / 2) + 3;
    for (auto _ : state) {
        text[digit] = text[digit] == u'g' ? u'1' : u'g';
        benchmark::DoNotOptimize(quillon::readMelody(text));
    }
}

// The check after a click, as the composer makes it: one code item appended to the text being
// composed. Only the check of the longer text is timed; the text goes back between iterations.
template <typename Check> void checkAfterAppend(benchmark::State& state, Check check) {
    const std::u16string before = unfinishedText(static_cast<std::size_t>(state.range(0)));
    const std::u16string after = before + u"0x73,";
    for (auto _ : state) {
        check(before);
        const auto start = std::chrono::steady_clock::now();
        check(after);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

// Baseline: the whole text read again, as the composer did before MelodyCheck.
void fullReadAfterAppend(benchmark::State& state) {
    checkAfterAppend(state, [](std::u16string_view text) {
        benchmark::DoNotOptimize(quillon::readMelody(text));
    });
}

void incrementalCheckAfterAppend(benchmark::State& state) {
    quillon::MelodyCheck melodyCheck;
    checkAfterAppend(state, [&](std::u16string_view text) {
        benchmark::DoNotOptimize(&melodyCheck.read(text));
    });
}

constexpr int kRate = 48000;

std::vector<std::uint8_t> longMelody(std::size_t notes) {
    std::vector<std::uint8_t> codes;
    for (std::size_t i = 0; i < notes; ++i) {
        // Every note of the grid in turn, with its three lengths: 100, 200 and 400 ms.
        codes.push_back(static_cast<std::uint8_t>((i % 28) * 8 + i % 3 + 1));
    }
    return codes;
}

double seconds(const std::vector<std::uint8_t>& codes) {
    static constexpr int lengths[] = {400, 100, 200, 400};
    double ms = 0;
    for (std::uint8_t c : codes) {
        ms += lengths[c & 3];
    }
    return ms / 1000;
}

// Pulled as an output pulls it, 480 frames (10 ms) at a time.
void streamMelody(benchmark::State& state) {
    const auto codes = std::make_shared<const std::vector<std::uint8_t>>(
        longMelody(static_cast<std::size_t>(state.range(0))));
    std::vector<std::int16_t> buffer(480);
    for (auto _ : state) {
        quillon::MelodyStream stream(codes, kRate);
        while (stream.fill(buffer) == buffer.size()) {
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    // Seconds of sound made per second of streaming: how much faster than real time.
    state.counters["x_real_time"] =
        benchmark::Counter(seconds(*codes), benchmark::Counter::kIsIterationInvariantRate);
}

// Baseline: filling the same buffer with one value as many times.
void fillBuffer(benchmark::State& state) {
    const auto codes = longMelody(static_cast<std::size_t>(state.range(0)));
    const auto frames = static_cast<std::size_t>(seconds(codes) * kRate);
    std::vector<std::int16_t> buffer(480);
    for (auto _ : state) {
        for (std::size_t done = 0; done < frames; done += buffer.size()) {
            std::fill(buffer.begin(), buffer.end(), std::int16_t{8231});
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.counters["x_real_time"] =
        benchmark::Counter(seconds(codes), benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(readMelody)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(countCommas)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(copyText)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(readAfterKeystroke)->Arg(10'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(readMelody)->Arg(10'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(fullReadAfterAppend)
    ->Arg(10'000)
    ->Arg(100'000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(incrementalCheckAfterAppend)
    ->Arg(10'000)
    ->Arg(100'000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(streamMelody)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(fillBuffer)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace
