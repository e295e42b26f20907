#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

struct avr_t;
struct avr_irq_t;

namespace quillon::sim {

// One level change of a port pin, at a CPU cycle.
struct Edge {
    std::uint64_t cycle = 0;
    bool high = false;
};

// An AVR running a firmware ELF in simavr, with a record of the pins it drives and of the
// flash it reads.
class SimulatedChip {
public:
    // Throws std::runtime_error when the MCU is unknown or the ELF cannot be loaded.
    SimulatedChip(const std::string& elfPath, const std::string& mcu, std::uint32_t hz);
    // A chip with erased flash but for a bootloader from an Intel HEX file, started at
    // bootAddress (a byte address) on every reset, as the BOOTRST fuse does. An empty path
    // leaves the flash erased.
    SimulatedChip(const std::string& mcu, std::uint32_t hz, const std::string& bootHexPath,
                  std::uint32_t bootAddress);
    ~SimulatedChip();
    SimulatedChip(const SimulatedChip&) = delete;
    SimulatedChip& operator=(const SimulatedChip&) = delete;

    // Starts recording the level changes of a pin ('B', 1 for PB1); call before run().
    void watch(char port, int pin);

    // Runs until the cycle or until done() (asked after each instruction) holds. Returns false
    // when the firmware crashed or stopped on its own.
    bool run(std::uint64_t untilCycle, const std::function<bool()>& done);

    // A reset by the RESET pin, as a board's auto-reset gives: the bootloader sees EXTRF.
    void resetExternally();
    avr_t* avr() const { return avr_; }

    const std::vector<Edge>& edges(char port, int pin) const;
    std::uint64_t cycle() const;
    double toMs(std::uint64_t cycle) const { return static_cast<double>(cycle) * 1000.0 / hz_; }
    std::uint64_t fromMs(double ms) const {
        return static_cast<std::uint64_t>(ms * static_cast<double>(hz_) / 1000.0);
    }

    // Every flash address read by LPM, by the address of the reading instruction.
    const std::map<std::uint32_t, std::set<std::uint32_t>>& flashReads() const {
        return flashReads_;
    }

private:
    struct Pin {
        SimulatedChip* chip = nullptr;
        std::vector<Edge> edges;
    };
    static int pinKey(char port, int pin) { return port * 8 + pin; }

    avr_t* avr_ = nullptr;
    std::uint32_t hz_;
    std::map<int, Pin> pins_;
    std::map<std::uint32_t, std::set<std::uint32_t>> flashReads_;
};

} // namespace quillon::sim
