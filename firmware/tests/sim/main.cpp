// quillon_sim: runs a firmware ELF that uses the melody player in simavr and checks the sound on
// OC1A (PB1) against the sound convention.
//   quillon_sim player|example ELF MCU HZ MELODY_SOURCE
// player:  the test program (see player_test.c for its pins): the melody to its end, busy, stop.
// example: the example program: the melody, and the LED on PB5 blinking throughout.
// arduino: a sketch built by the Arduino core for the Uno (atmega328p), Mega (atmega2560) or
//          Leonardo (atmega32u4), see tests/arduino/ToneBeside: music_item from RAM, then
//          flash_item from flash, on Timer1's output A, while tone() sounds 1000 Hz on pin 4.
#include "ConventionModel.h"
#include "FlashObjects.h"
#include "SimulatedChip.h"
#include "ToneTrace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace quillon::sim;

namespace {

// Pitch within 0.01 % of the table's; every note starting within 1 ms of its time from the
// melody's start, and sounding and pausing within 2 ms of its length.
constexpr double pitchTolerance = 0.0001;
constexpr double startToleranceMs = 1;
constexpr double lengthToleranceMs = 2;

int failures = 0;

template <typename... Args> void fail(const char* format, Args... args) {
    std::printf("FAIL: ");
    std::printf(format, args...);
    std::printf("\n");
    ++failures;
}

std::optional<double> edgeMs(const SimulatedChip& chip, char port, int pin, bool high,
                             std::size_t nth = 0) {
    for (const Edge& edge : chip.edges(port, pin)) {
        if (edge.high == high && nth-- == 0) {
            return chip.toMs(edge.cycle);
        }
    }
    return std::nullopt;
}

struct Worst {
    double pitchPercent = 0;
    double lengthMs = 0;
    double silenceMs = 0;
    double onsetMs = 0;
};

// Compares the tones heard from startMs on with what the model expects; returns where the
// melody started on the pin.
double checkMelody(const ConventionModel& model, const std::vector<MeasuredSound>& heard,
                   Worst& worst) {
    const auto& expected = model.sounds();
    if (heard.size() != expected.size()) {
        fail("%zu tones heard, %zu expected", heard.size(), expected.size());
    }
    if (heard.empty()) {
        return 0;
    }
    const double start = heard.front().onsetMs - expected.front().startMs;
    std::printf("%-5s %9s %9s %7s %8s %8s %8s %8s\n", "code", "want Hz", "got Hz", "err %",
                "want ms", "got ms", "gap want", "gap got");
    for (std::size_t i = 0; i < std::min(heard.size(), expected.size()); ++i) {
        const ExpectedSound& want = expected[i];
        const MeasuredSound& got = heard[i];
        const double pitchError = (got.hz - want.hz) / want.hz;
        const double length = got.endMs - got.onsetMs;
        const double longest = got.endLatestMs - got.onsetMs;
        // How far the length is outside the window the trace allows: 0 inside it.
        const double lengthError = std::max({0.0, length - want.lengthMs, want.lengthMs - longest});
        const double nextWant = i + 1 < expected.size() ? expected[i + 1].startMs : model.totalMs();
        const double gapWant = nextWant - want.startMs - want.lengthMs;
        const double gapGot =
            i + 1 < heard.size() ? heard[i + 1].onsetMs - got.endMs : std::nan("");
        const double shortestGap =
            i + 1 < heard.size() ? heard[i + 1].onsetMs - got.endLatestMs : std::nan("");
        std::printf("0x%02x  %9.2f %9.2f %+7.3f %8.0f %8.2f %8.0f %8.2f\n", want.code, want.hz,
                    got.hz, 100 * pitchError, want.lengthMs, length, gapWant, gapGot);

        worst.pitchPercent = std::max(worst.pitchPercent, 100 * std::fabs(pitchError));
        worst.lengthMs = std::max(worst.lengthMs, lengthError);
        if (std::fabs(pitchError) > pitchTolerance) {
            fail("code 0x%02x: %.2f Hz, expected %.2f Hz", want.code, got.hz, want.hz);
        }
        if (lengthError > lengthToleranceMs) {
            fail("code 0x%02x: sounds %.2f to %.2f ms, expected %.0f ms", want.code, length,
                 longest, want.lengthMs);
        }
        const double onsetError = (got.onsetMs - start) - want.startMs;
        worst.onsetMs = std::max(worst.onsetMs, std::fabs(onsetError));
        if (std::fabs(onsetError) > startToleranceMs) {
            fail("code 0x%02x starts at %.2f ms, expected %.0f ms", want.code, got.onsetMs - start,
                 want.startMs);
        }
        if (i + 1 < heard.size() && i + 1 < expected.size()) {
            const double gapError = std::max({0.0, shortestGap - gapWant, gapWant - gapGot});
            worst.silenceMs = std::max(worst.silenceMs, gapError);
            if (gapError > lengthToleranceMs) {
                fail("after code 0x%02x: silent %.2f to %.2f ms, expected %.0f ms", want.code,
                     shortestGap, gapGot, gapWant);
            }
        }
    }
    for (const auto& [code, at] : model.silentCodes()) {
        std::printf("code 0x%02x silent from %.0f ms\n", code, at);
    }
    return start;
}

// Every flash read must fall inside one flash object, and each reading instruction must keep
// to one object: a table read that runs past its end lands elsewhere or nowhere.
void checkFlashReads(const SimulatedChip& chip, const FlashObjects& objects) {
    for (const auto& [pc, addresses] : chip.flashReads()) {
        const FlashObject* first = nullptr;
        for (const std::uint32_t address : addresses) {
            const FlashObject* object = objects.find(address);
            if (object == nullptr) {
                fail("LPM at 0x%04x reads 0x%04x, outside every flash object", pc, address);
            } else if (first != nullptr && object != first) {
                fail("LPM at 0x%04x reads both %s and %s (0x%04x)", pc, first->name.c_str(),
                     object->name.c_str(), address);
            }
            if (first == nullptr) {
                first = object;
            }
        }
        std::printf("LPM at 0x%04x: %zu addresses in %s\n", pc, addresses.size(),
                    first != nullptr ? first->name.c_str() : "(none)");
    }
}

double largestGapMs(const SimulatedChip& chip, char port, int pin, double fromMs, double toMs) {
    double last = fromMs;
    double largest = 0;
    for (const Edge& edge : chip.edges(port, pin)) {
        const double ms = chip.toMs(edge.cycle);
        if (ms >= fromMs && ms <= toMs) {
            largest = std::max(largest, ms - last);
            last = ms;
        }
    }
    return std::max(largest, toMs - last);
}

void runPlayer(SimulatedChip& chip, const ConventionModel& model, Worst& worst) {
    for (const int pin : {0, 1, 2, 3, 5}) {
        chip.watch('B', pin);
    }
    const std::uint64_t limit = chip.fromMs(2 * model.totalMs() + 2000);
    chip.run(limit, [&] { return !chip.edges('B', 3).empty(); });
    const auto done = edgeMs(chip, 'B', 3, true);
    if (!done) {
        fail("the test program did not finish in %.0f ms", chip.toMs(limit));
        return;
    }
    const auto busyOn = edgeMs(chip, 'B', 0, true);
    const auto busyOff = edgeMs(chip, 'B', 0, false);
    if (!busyOn || !busyOff) {
        fail("quillon_busy() did not show 1 and then 0 for the whole melody");
        return;
    }

    const double start =
        checkMelody(model, ToneTrace(chip.edges('B', 1), chip, 0, *busyOff).sounds(), worst);
    const double end = start + model.totalMs();
    std::printf("melody from %.2f ms to %.2f ms; busy from %.2f ms to %.2f ms\n", start, end,
                *busyOn, *busyOff);
    if (std::fabs(start - *busyOn) > lengthToleranceMs) {
        fail("the first note started at %.2f ms, busy rose at %.2f ms", start, *busyOn);
    }
    // The loop samples busy once a pass, about a millisecond.
    if (*busyOff < end - 1 || *busyOff > end + lengthToleranceMs) {
        fail("busy fell at %.2f ms, the melody ended at %.2f ms", *busyOff, end);
    }
    const double beatGap = largestGapMs(chip, 'B', 5, *busyOn, *busyOff);
    std::printf("main loop: longest pause %.3f ms while playing\n", beatGap);
    if (beatGap > 3) {
        fail("the main loop stood still for %.2f ms while the melody played", beatGap);
    }

    // Second run: stopped inside a note.
    const auto replay = edgeMs(chip, 'B', 0, true, 1);
    const auto stopped = edgeMs(chip, 'B', 2, true);
    if (!replay || !stopped) {
        fail("quillon_busy() was not 0 right after quillon_stop()");
        return;
    }
    double lastTone = -1;
    for (const Edge& edge : chip.edges('B', 1)) {
        const double ms = chip.toMs(edge.cycle);
        if (ms > *stopped) {
            fail("the speaker pin moved at %.2f ms, after the stop at %.2f ms", ms, *stopped);
            break;
        }
        lastTone = ms;
    }
    std::printf("stopped at %.2f ms, last edge at %.2f ms\n", *stopped, lastTone);
    if (*stopped - lastTone > 4) {
        fail("no note was sounding when the test stopped it (last edge %.2f ms before)",
             *stopped - lastTone);
    }
    if (edgeMs(chip, 'B', 0, true, 2)) {
        fail("quillon_busy() became 1 again after quillon_stop()");
    }
    if (largestGapMs(chip, 'B', 5, *replay, *done) > 3) {
        fail("the main loop stood still around the stop");
    }
}

void runExample(SimulatedChip& chip, const ConventionModel& model, Worst& worst) {
    chip.watch('B', 1);
    chip.watch('B', 5);
    // The example starts the melody again two seconds after its end; stop before that.
    const double until = model.totalMs() + 1000;
    chip.run(chip.fromMs(until), nullptr);
    const double start =
        checkMelody(model, ToneTrace(chip.edges('B', 1), chip, 0, until).sounds(), worst);
    const double beatGap = largestGapMs(chip, 'B', 5, start, until);
    std::printf("LED: longest pause %.2f ms, %zu changes\n", beatGap, chip.edges('B', 5).size());
    // 250 ms a blink; the player's compare interrupt, about 120 cycles once a half period, takes
    // up to 3 % of an 8 MHz chip on this melody's notes and stretches the busy-wait that much.
    if (beatGap > 260) {
        fail("the LED stood still for %.2f ms", beatGap);
    }
}

// Where an Arduino board has the pins of the sketch: Timer1's output A, pin 4 and pin 7.
struct BoardPins {
    char speakerPort;
    int speakerBit;
    char tonePort;
    int toneBit;
    char donePort;
    int doneBit;
};

BoardPins boardPins(const std::string& mcu) {
    if (mcu == "atmega328p") {
        return {'B', 1, 'D', 4, 'D', 7};
    }
    if (mcu == "atmega2560") {
        return {'B', 5, 'G', 5, 'H', 4};
    }
    if (mcu == "atmega32u4") {
        return {'B', 5, 'D', 4, 'E', 6};
    }
    throw std::runtime_error("no Arduino board with " + mcu);
}

void runArduino(SimulatedChip& chip, const std::string& mcu, const std::string& sketch,
                Worst& worst) {
    const ConventionModel fromRam(ConventionModel::readMelody(sketch, "music_item"));
    const ConventionModel fromFlash(ConventionModel::readMelody(sketch, "flash_item"));
    const BoardPins pins = boardPins(mcu);
    chip.watch(pins.speakerPort, pins.speakerBit);
    chip.watch(pins.tonePort, pins.toneBit);
    chip.watch(pins.donePort, pins.doneBit);
    const std::uint64_t limit = chip.fromMs(fromRam.totalMs() + fromFlash.totalMs() + 2000);
    chip.run(limit, [&] { return !chip.edges(pins.donePort, pins.doneBit).empty(); });
    const auto done = edgeMs(chip, pins.donePort, pins.doneBit, true);
    if (!done) {
        fail("the sketch did not finish in %.0f ms", chip.toMs(limit));
        return;
    }
    const auto heard =
        ToneTrace(chip.edges(pins.speakerPort, pins.speakerBit), chip, 0, *done).sounds();
    const std::size_t first = std::min(heard.size(), fromRam.sounds().size());
    std::printf("quillon_play, from RAM:\n");
    const double start =
        checkMelody(fromRam, {heard.begin(), heard.begin() + static_cast<long>(first)}, worst);
    std::printf("quillon_play_P, from flash:\n");
    checkMelody(fromFlash, {heard.begin() + static_cast<long>(first), heard.end()}, worst);

    // tone() toggles its pin from Timer2's (Timer3's on the Leonardo) interrupt: 1000 Hz is a
    // half period of 0.5 ms, and the player's interrupts must not hold it up for long.
    std::vector<double> toneEdges;
    for (const Edge& edge : chip.edges(pins.tonePort, pins.toneBit)) {
        const double ms = chip.toMs(edge.cycle);
        if (ms >= start && ms <= start + fromRam.totalMs()) {
            toneEdges.push_back(ms);
        }
    }
    if (toneEdges.size() < 100) {
        fail("tone() on pin 4: %zu edges while the melody played", toneEdges.size());
        return;
    }
    double longest = 0;
    for (std::size_t i = 1; i < toneEdges.size(); ++i) {
        longest = std::max(longest, toneEdges[i] - toneEdges[i - 1]);
    }
    const double hz = 1000.0 * static_cast<double>(toneEdges.size() - 1) /
                      (2.0 * (toneEdges.back() - toneEdges.front()));
    std::printf("tone() on pin 4: %.2f Hz, longest half period %.3f ms\n", hz, longest);
    if (std::fabs(hz - 1000.0) > 1.0) {
        fail("tone() sounded %.2f Hz beside the melody, expected 1000 Hz", hz);
    }
    if (longest > 0.55) {
        fail("tone()'s pin stood still for %.3f ms beside the melody", longest);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: quillon_sim player|example|arduino ELF MCU HZ MELODY_SOURCE\n");
        return 2;
    }
    const std::string mode = argv[1];
    try {
        const auto hz = static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10));
        const ConventionModel model(ConventionModel::readMelody(argv[5]));
        const FlashObjects objects(argv[2]);
        SimulatedChip chip(argv[2], argv[3], hz);
        Worst worst;
        if (mode == "arduino") {
            runArduino(chip, argv[3], argv[5], worst);
        } else if (mode == "player") {
            runPlayer(chip, model, worst);
        } else if (mode == "example") {
            runExample(chip, model, worst);
        } else {
            std::fprintf(stderr, "quillon_sim: unknown mode %s\n", mode.c_str());
            return 2;
        }
        // The Arduino core's own pin tables are not objects the symbol table sizes.
        if (mode != "arduino") {
            checkFlashReads(chip, objects);
        }
        std::printf("%s at %g MHz: worst pitch error %.4f %%, sound length error %.2f ms "
                    "beyond what the trace can tell, silence error %.2f ms, note start error "
                    "%.3f ms\n",
                    mode.c_str(), hz / 1e6, worst.pitchPercent, worst.lengthMs, worst.silenceMs,
                    worst.onsetMs);
    } catch (const std::exception& error) {
        std::printf("FAIL: %s\n", error.what());
        return 1;
    }
    if (failures != 0) {
        std::printf("%d checks failed\n", failures);
        return 1;
    }
    std::printf("all checks passed\n");
    return 0;
}
