// play-melody: reads music code texts from files and plays each in turn through the default
// sound output, as the composer's F5 does (the reader, the preview and the PortAudio sink,
// polled every 15 ms); then waits until it has been heard. For the end-to-end sound tests, for
// measuring and for listening by hand.
//
//   play-melody [--latency SECONDS] [--stop-after MS] [--monitor] FILE...
//
// --latency     how far ahead the stream is fed at first (default: the sink's)
// --stop-after  stop (as Esc does) once MS ms of each melody have been heard
// --monitor     standard input is what the listener hears, as it is heard (raw s16le mono at
//               the output's rate, say from parec with a small latency): compare it with what
//               the sink says is heard
//
// For each file it prints when the first frame was heard after F5 by the sink's reckoning, when
// the play ended, and how much the process grew meanwhile; with --monitor also when the first
// sound and the last came in, and how much the sink said was heard at the first. Exit status 2
// when there is no sound output (the reason on standard error), 1 when a play fails or stalls
// or is not heard to its end.
#include "PortAudioSink.h"
#include "SoundEnvironment.h"
#include "quillon/MelodyPreview.h"
#include "quillon/MelodyReader.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Resident memory of this process in KiB, from /proc; 0 where there is none.
long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

// What comes in on standard input, timed: the first loud sample after `armedAt`, and the last.
struct Monitor {
    std::atomic<std::int64_t> armedAt{0};
    std::atomic<std::int64_t> firstLoud{0};
    std::atomic<std::int64_t> lastLoud{0};
    int rate = 48000;

    void listen() {
        std::int16_t chunk[1024];
        for (;;) {
            const ssize_t got = read(0, chunk, sizeof chunk);
            if (got <= 0) {
                return;
            }
            const std::int64_t now = nanos();
            const auto count = static_cast<std::size_t>(got) / 2;
            for (std::size_t i = 0; i < count; ++i) {
                if (std::abs(chunk[i]) < 1000 || armedAt.load() == 0) {
                    continue;
                }
                // The sample came in (count - i) frames before the chunk's end.
                const std::int64_t at =
                    now - static_cast<std::int64_t>(count - i) * 1'000'000'000 / rate;
                std::int64_t expected = 0;
                firstLoud.compare_exchange_strong(expected, at);
                lastLoud.store(at);
            }
        }
    }

    static std::int64_t nanos() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
            .count();
    }
};

const char* problemName(quillon::SoundProblem problem) {
    switch (problem) {
    case quillon::SoundProblem::None:
        return "none";
    case quillon::SoundProblem::NoOutput:
        return "no output";
    case quillon::SoundProblem::OutputFailed:
        return "the output failed";
    case quillon::SoundProblem::Stalled:
        return "stalled";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv) {
    quillon::prepareSoundEnvironment();
    quillon::PortAudioSink::Settings settings;
    double stopAfterMs = -1;
    bool monitoring = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--latency" && i + 1 < argc) {
            settings.latencySeconds = std::atof(argv[++i]);
        } else if (arg == "--monitor") {
            monitoring = true;
        } else if (arg == "--stop-after" && i + 1 < argc) {
            stopAfterMs = std::atof(argv[++i]);
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: play-melody [--latency SECONDS] [--stop-after MS] FILE...\n");
        return 2;
    }

    static Monitor monitor;
    if (monitoring) {
        std::thread([] { monitor.listen(); }).detach();
    }
    quillon::PortAudioSink sink(settings);
    sink.connect();
    quillon::MelodyPreview preview(sink);
    int status = 0;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        // ASCII is all a melody needs; other bytes only make tokens that are no literals.
        const quillon::Melody melody =
            quillon::readMelody(std::u16string(bytes.begin(), bytes.end()));

        const long residentBefore = residentKiB();
        long residentPeak = residentBefore;
        // What the sink said was heard when, to look up when the monitor heard the first sound.
        std::vector<std::pair<std::int64_t, std::int64_t>> reckoned;
        monitor.firstLoud.store(0);
        monitor.lastLoud.store(0);
        const auto f5 = Clock::now();
        monitor.armedAt.store(Monitor::nanos());
        if (preview.playMelody(melody) == quillon::MelodyPreview::Outcome::NothingToPlay) {
            std::printf("%s: nothing to play\n", file.c_str());
            continue;
        }
        const double callMs = millisSince(f5);
        double firstHeardMs = -1;
        double stoppedMs = -1;
        std::int64_t heardAtStop = 0;
        quillon::MelodyPreview::Progress progress;
        for (;;) {
            progress = preview.poll();
            residentPeak = std::max(residentPeak, residentKiB());
            if (!progress.playing) {
                break;
            }
            const quillon::SoundStatus heard = sink.status();
            if (monitoring && reckoned.size() < 100'000) {
                reckoned.emplace_back(Monitor::nanos(), heard.heardFrames);
            }
            if (firstHeardMs < 0 && heard.heardFrames > 0) {
                firstHeardMs = millisSince(f5);
            }
            if (stopAfterMs >= 0 && heard.sampleRate > 0 &&
                static_cast<double>(heard.heardFrames) * 1000 / heard.sampleRate >= stopAfterMs) {
                heardAtStop = heard.heardFrames;
                preview.stop();
                stoppedMs = millisSince(f5);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(monitoring ? 2 : 15));
        }
        const quillon::SoundStatus last = sink.status();
        std::printf("%s: %zu codes, rate %d Hz, output delay %.1f ms; F5 returned after %.2f ms; "
                    "first frame heard after %.1f ms; ",
                    file.c_str(), melody.played, last.sampleRate, sink.outputLatency() * 1000,
                    callMs, firstHeardMs);
        if (stoppedMs >= 0) {
            std::printf("stopped after %.1f ms, %.1f ms heard; ", stoppedMs,
                        static_cast<double>(heardAtStop) * 1000 / last.sampleRate);
            // Let what the stop left in the output play out before the next file or the end.
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        } else {
            std::printf("ended after %.1f ms with %.1f ms heard; ", millisSince(f5),
                        last.sampleRate > 0
                            ? static_cast<double>(last.heardFrames) * 1000 / last.sampleRate
                            : 0.0);
        }
        std::printf("process grew %.1f MB while it played\n",
                    static_cast<double>(residentPeak - residentBefore) / 1024);
        if (monitoring) {
            // Let the end come in, then compare.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const std::int64_t f5Nanos = monitor.armedAt.load();
            const std::int64_t first = monitor.firstLoud.load();
            double reckonedMs = -1;
            for (std::size_t k = 1; k < reckoned.size() && first != 0; ++k) {
                if (reckoned[k].first >= first && last.sampleRate > 0) {
                    reckonedMs =
                        static_cast<double>(reckoned[k - 1].second) * 1000 / last.sampleRate;
                    break;
                }
            }
            std::printf("  monitor: first sound came in %.1f ms after F5, when the sink said "
                        "%.1f ms had been heard; the last sound %.1f ms after F5",
                        static_cast<double>(first - f5Nanos) / 1e6, reckonedMs,
                        static_cast<double>(monitor.lastLoud.load() - f5Nanos) / 1e6);
            if (stoppedMs >= 0) {
                std::printf(", %.1f ms after the stop",
                            static_cast<double>(monitor.lastLoud.load() - f5Nanos) / 1e6 -
                                stoppedMs);
            }
            std::printf("\n");
        }
        std::fflush(stdout);
        if (progress.problem != quillon::SoundProblem::None) {
            std::fprintf(stderr, "play-melody: %s: %s (%s)\n", file.c_str(),
                         problemName(progress.problem), progress.detail.c_str());
            if (progress.problem == quillon::SoundProblem::NoOutput) {
                return 2;
            }
            status = 1;
        } else if (stoppedMs < 0 && last.phase != quillon::SoundStatus::Phase::Done) {
            std::fprintf(stderr, "play-melody: %s was not heard to its end\n", file.c_str());
            status = 1;
        }
    }
    return status;
}
