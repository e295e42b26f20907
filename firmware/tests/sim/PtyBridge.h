#pragma once

#include "SimulatedChip.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace quillon::sim {

// What the bridge does wrong on purpose, as a real board, cable or chip can.
enum class BridgeFault {
    None,
    Silent,  // the chip never hears the host: no bootloader answers
    Garble,  // one byte of the chip's answers arrives changed
    Hangup,  // the port goes away in the middle of the upload
    FlashBit // one byte of the first page does not take in the flash
};

// The simulated chip's UART0 on a pseudo-terminal, whose other end is at linkPath (a symbolic
// link to the slave device) for the program under test. A pty has no modem lines, so the
// bridge resets the chip whenever the port is opened, as a board's auto-reset does.
class PtyBridge {
public:
    PtyBridge(SimulatedChip& chip, const std::string& linkPath, BridgeFault fault);
    ~PtyBridge();
    PtyBridge(const PtyBridge&) = delete;
    PtyBridge& operator=(const PtyBridge&) = delete;

    // Blocks until the port is opened the first time, or timeoutMs; false when not.
    bool waitForOpen(int timeoutMs);
    // Moves bytes both ways and watches the port; call often while the chip runs.
    void service();
    // The port was opened and then closed again (or the bridge hung up on purpose).
    bool closedAgain() const { return closedAgain_; }
    std::size_t bytesFromHost() const { return fromHost_; }

private:
    static void onOutput(avr_irq_t* irq, std::uint32_t value, void* param);
    static void onXon(avr_irq_t* irq, std::uint32_t value, void* param);
    static void onXoff(avr_irq_t* irq, std::uint32_t value, void* param);
    bool slaveOpen() const;

    SimulatedChip& chip_;
    std::string link_;
    BridgeFault fault_;
    int master_ = -1;
    bool open_ = false;
    bool closedAgain_ = false;
    bool xoff_ = false;
    bool flipped_ = false;
    std::deque<std::uint8_t> toChip_;
    std::size_t fromHost_ = 0;
    std::size_t fromChip_ = 0;
    avr_irq_t* input_ = nullptr;
};

} // namespace quillon::sim
