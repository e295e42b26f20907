// play-melody: reads a music code text from a file, renders what the firmware would play and
// plays it through the default sound output, as the composer's preview does; then waits until
// it has been heard. For the end-to-end sound tests and for listening by hand.
//
//   play-melody [--latency SECONDS] FILE
//
// Prints the output's rate and latency and when the first frame was heard; exit status 2 when
// there is no sound output (the reason on standard error), 1 when playing fails.
#include "PortAudioSink.h"
#include "quillon/MelodyReader.h"
#include "quillon/MelodyRenderer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    double latency = 0.2;
    if (argc == 4 && std::string(argv[1]) == "--latency") {
        latency = std::atof(argv[2]);
    } else if (argc != 2) {
        std::fprintf(stderr, "usage: play-melody [--latency SECONDS] FILE\n");
        return 2;
    }
    std::ifstream in(argv[argc - 1], std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    // ASCII is all a melody needs; other bytes only make tokens that are no literals.
    const std::u16string text(bytes.begin(), bytes.end());

    quillon::PortAudioSink sink(latency);
    const auto opening = std::chrono::steady_clock::now();
    if (!sink.open()) {
        std::fprintf(stderr, "play-melody: %s\n", sink.error().c_str());
        return 2;
    }
    const std::chrono::duration<double, std::milli> openTime =
        std::chrono::steady_clock::now() - opening;
    const auto codes = quillon::playedCodes(quillon::readMelody(text));
    auto rendered = quillon::renderMelody(codes, sink.sampleRate());
    const auto frames = static_cast<std::int64_t>(rendered.samples.size());
    std::printf("rate %d Hz, reported latency %.1f ms, open %.1f ms, %lld frames\n",
                sink.sampleRate(), sink.outputLatency() * 1000, openTime.count(),
                static_cast<long long>(frames));

    const auto start = std::chrono::steady_clock::now();
    if (!sink.play(std::move(rendered.samples))) {
        std::fprintf(stderr, "play-melody: %s\n", sink.error().c_str());
        return 1;
    }
    double firstHeardMs = -1;
    std::int64_t heard = 0;
    bool backwards = false;
    const auto limit = start + std::chrono::milliseconds(frames * 1000 / sink.sampleRate() + 5000);
    while (sink.playing() && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const std::int64_t now = sink.heardFrames();
        backwards = backwards || now < heard;
        heard = now;
        if (firstHeardMs < 0 && heard > 0) {
            firstHeardMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
        }
    }
    const double totalMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("first frame heard after %.1f ms; done after %.1f ms for %.1f ms of sound; "
                "heard %lld frames%s\n",
                firstHeardMs, totalMs, static_cast<double>(frames) * 1000 / sink.sampleRate(),
                static_cast<long long>(sink.heardFrames()), backwards ? ", WENT BACK" : "");
    if (sink.playing()) {
        std::fprintf(stderr, "play-melody: still playing long after the end\n");
        return 1;
    }
    return sink.heardFrames() == frames && !backwards ? 0 : 1;
}
