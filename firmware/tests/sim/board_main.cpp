// quillon_simboard: an Arduino board for quillon-upload to write to, simulated: the board's own
// bootloader in simavr, its UART on a pseudo-terminal linked at LINK. Once the port has been
// opened and closed again, the chip runs on for the melody and checks what its speaker pin
// plays against the convention, and that the LED blinked while it played.
//   quillon_simboard BOOT_HEX MCU BOOT_ADDRESS LINK FAULT [MELODY_SOURCE]
// FAULT: none, silent, garble, hangup or flashbit; with a fault nothing is checked, the board
// only runs until the port is closed. BOOT_HEX avr109: a Leonardo, whose bootloader the host
// plays (simavr has no USB); its FAULT none or notouch (the board ignores the 1200-baud touch).
#include "Avr109Board.h"
#include "ConventionModel.h"
#include "PtyBridge.h"
#include "SimulatedChip.h"
#include "ToneTrace.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

#include <sim_avr.h>

using namespace quillon::sim;

namespace {

int failures = 0;

template <typename... Args> void fail(const char* format, Args... args) {
    std::printf("FAIL: ");
    std::printf(format, args...);
    std::printf("\n");
    ++failures;
}

BridgeFault faultNamed(const std::string& name) {
    if (name == "none") {
        return BridgeFault::None;
    }
    if (name == "silent") {
        return BridgeFault::Silent;
    }
    if (name == "garble") {
        return BridgeFault::Garble;
    }
    if (name == "hangup") {
        return BridgeFault::Hangup;
    }
    if (name == "flashbit") {
        return BridgeFault::FlashBit;
    }
    throw std::runtime_error("no fault " + name);
}

struct BoardPins {
    char speakerPort;
    int speakerBit;
    char ledPort;
    int ledBit;
};

BoardPins pinsOf(const std::string& mcu) {
    if (mcu == "atmega2560") {
        return {'B', 5, 'B', 7};
    }
    // The Leonardo: OC1A on PB5 (pin 9), the LED on PC7 (pin 13).
    if (mcu == "atmega32u4") {
        return {'B', 5, 'C', 7};
    }
    return {'B', 1, 'B', 5};
}

// The notes heard against the model: pitch within 0.01 %, each note's start within 1 ms of its
// time from the first, its sound within 2 ms of its length.
void checkMelody(const ConventionModel& model, const std::vector<MeasuredSound>& heard) {
    const auto& expected = model.sounds();
    if (heard.size() != expected.size()) {
        fail("%zu tones heard, %zu expected", heard.size(), expected.size());
        return;
    }
    const double start = heard.front().onsetMs - expected.front().startMs;
    for (std::size_t i = 0; i < heard.size(); ++i) {
        const ExpectedSound& want = expected[i];
        const MeasuredSound& got = heard[i];
        const double length = got.endMs - got.onsetMs;
        const double longest = got.endLatestMs - got.onsetMs;
        std::printf("0x%02x  %9.2f Hz (want %9.2f)  %8.2f ms (want %6.0f)  at %8.2f ms (want "
                    "%6.0f)\n",
                    want.code, got.hz, want.hz, length, want.lengthMs, got.onsetMs - start,
                    want.startMs);
        if (std::fabs(got.hz - want.hz) / want.hz > 0.0001) {
            fail("code 0x%02x: %.2f Hz, expected %.2f Hz", want.code, got.hz, want.hz);
        }
        if (length > want.lengthMs + 2 || longest < want.lengthMs - 2) {
            fail("code 0x%02x: sounds %.2f ms, expected %.0f ms", want.code, length, want.lengthMs);
        }
        if (std::fabs(got.onsetMs - start - want.startMs) > 1) {
            fail("code 0x%02x starts at %.2f ms, expected %.0f ms", want.code, got.onsetMs - start,
                 want.startMs);
        }
    }
}

// Runs the chip on for the melody and checks what its speaker pin plays against the
// convention, and that the LED blinked while it played.
void checkPlayed(SimulatedChip& chip, const BoardPins& pins, const char* melodyPath,
                 const std::function<void()>& service) {
    const ConventionModel model(ConventionModel::readMelody(melodyPath));
    const std::uint64_t from = chip.cycle();
    // Optiboot starts the program at once, ATmegaBOOT after a second without commands.
    chip.run(from + chip.fromMs(model.totalMs() + 2500), [&] {
        service();
        return false;
    });
    const double fromMs = chip.toMs(from);
    const double toMs = chip.toMs(chip.cycle());
    checkMelody(
        model,
        ToneTrace(chip.edges(pins.speakerPort, pins.speakerBit), chip, fromMs, toMs).sounds());
    // The LED blinks, 100 ms a change, while the melody plays, and is off at its end.
    std::size_t blinks = 0;
    for (const Edge& edge : chip.edges(pins.ledPort, pins.ledBit)) {
        blinks += chip.toMs(edge.cycle) >= fromMs ? 1 : 0;
    }
    const auto& led = chip.edges(pins.ledPort, pins.ledBit);
    const double expectedBlinks = model.totalMs() / 100;
    std::printf("LED: %zu changes while playing\n", blinks);
    if (static_cast<double>(blinks) < expectedBlinks - 2 ||
        static_cast<double>(blinks) > expectedBlinks + 2) {
        fail("the LED changed %zu times, about %.0f expected", blinks, expectedBlinks);
    }
    if (!led.empty() && led.back().high) {
        fail("the LED stays on after the melody");
    }
}

// The Leonardo: the host plays its bootloader, the chip only runs once 'E' started it.
int runAvr109(const std::string& mcu, const char* link, const std::string& faultName,
              const char* melodyPath) {
    if (faultName != "none" && faultName != "notouch") {
        throw std::runtime_error("no fault " + faultName);
    }
    if (mcu != "atmega32u4") {
        throw std::runtime_error("the modelled AVR109 bootloader is for the atmega32u4");
    }
    SimulatedChip chip(mcu, 16000000, "", 0);
    const BoardPins pins = pinsOf(mcu);
    chip.watch(pins.speakerPort, pins.speakerBit);
    chip.watch(pins.ledPort, pins.ledBit);
    // The ATmega32U4's signature, from its datasheet.
    Avr109Board board(chip, link, {0x1E, 0x95, 0x87}, faultName == "notouch");
    std::printf("board on %s\n", link);
    std::fflush(stdout);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    while (!board.done() && std::chrono::steady_clock::now() < deadline) {
        board.service();
        ::usleep(500);
    }
    if (!board.done()) {
        fail("the upload had not ended after 40 s (%s)",
             !board.touched()   ? "no 1200-baud touch seen"
             : board.timedOut() ? "no command within 8 s of the touch"
                                : "touched");
        return 1;
    }
    std::printf("port closed after %zu bytes from the host\n", board.bytesFromHost());
    if (faultName != "none" || melodyPath == nullptr) {
        return 0;
    }
    checkPlayed(chip, pins, melodyPath, [] {});
    return 0;
}

// A board whose own bootloader runs in the simulated chip, its UART on the port.
int runBootloader(int argc, char** argv) {
    const std::string mcu = argv[2];
    const auto boot = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 0));
    const BridgeFault fault = faultNamed(argv[5]);
    SimulatedChip chip(mcu, 16000000, argv[1], boot);
    const BoardPins pins = pinsOf(mcu);
    chip.watch(pins.speakerPort, pins.speakerBit);
    chip.watch(pins.ledPort, pins.ledBit);
    PtyBridge bridge(chip, argv[4], fault);
    std::printf("board on %s\n", argv[4]);
    std::fflush(stdout);
    if (!bridge.waitForOpen(30000)) {
        fail("nobody opened the port in 30 s");
        return 1;
    }
    // The upload, in real time at most 40 s, then the melody in simulated time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    long steps = 0;
    // A real board runs in real time, and its bootloader's timeouts are real time: the
    // simulation may be slower, never faster, or optiboot gives up before the host speaks.
    const auto started = std::chrono::steady_clock::now();
    const std::uint64_t startCycle = chip.cycle();
    const auto keepPace = [&] {
        const auto simulated = std::chrono::microseconds(
            static_cast<long>(chip.toMs(chip.cycle() - startCycle) * 1000));
        const auto ahead = simulated - (std::chrono::steady_clock::now() - started);
        if (ahead > std::chrono::milliseconds(1)) {
            std::this_thread::sleep_for(ahead);
        }
    };
    while (!bridge.closedAgain() && std::chrono::steady_clock::now() < deadline) {
        const bool running = chip.run(UINT64_MAX, [&] {
            if (++steps % 2000 != 0) {
                return false;
            }
            keepPace();
            bridge.service();
            return bridge.closedAgain() || std::chrono::steady_clock::now() > deadline;
        });
        // Stopped on erased flash: only a reset, on the next open, starts it again.
        while (!running && !bridge.closedAgain() && std::chrono::steady_clock::now() < deadline &&
               chip.avr()->state != cpu_Running) {
            bridge.service();
            ::usleep(1000);
        }
    }
    if (!bridge.closedAgain()) {
        fail("the port was still open after 40 s");
        return 1;
    }
    std::printf("port closed after %zu bytes from the host\n", bridge.bytesFromHost());
    if (fault != BridgeFault::None || argc != 7) {
        return 0;
    }
    checkPlayed(chip, pins, argv[6], [&] {
        if (++steps % 2000 == 0) {
            bridge.service();
        }
    });
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: quillon_simboard BOOT_HEX MCU BOOT_ADDRESS LINK FAULT "
                             "[MELODY_SOURCE]\n");
        return 2;
    }
    try {
        if (std::string(argv[1]) == "avr109") {
            if (runAvr109(argv[2], argv[4], argv[5], argc == 7 ? argv[6] : nullptr) != 0) {
                return 1;
            }
        } else if (runBootloader(argc, argv) != 0) {
            return 1;
        }
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
