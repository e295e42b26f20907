#include "PtyBridge.h"

#include "LinkedPty.h"

#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_io.h>
#include <sim_irq.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace quillon::sim {

namespace {

// Which byte of the chip's answers the Garble fault changes: past the sync and signature,
// among the answers to the page writes.
constexpr std::size_t garbledByte = 40;
// After how many bytes from the host the Hangup fault closes the port: within the pages.
constexpr std::size_t hangupAfter = 400;
// The byte of the first page that the FlashBit fault changes.
constexpr std::uint32_t flippedAddress = 0x40;

} // namespace

PtyBridge::PtyBridge(SimulatedChip& chip, const std::string& linkPath, BridgeFault fault)
    : chip_(chip), link_(linkPath), fault_(fault) {
    master_ = openLinkedPty(link_);
    avr_t* avr = chip_.avr();
    std::uint32_t flags = 0;
    avr_ioctl(avr, AVR_IOCTL_UART_GET_FLAGS('0'), &flags);
    flags &= ~static_cast<std::uint32_t>(AVR_UART_FLAG_STDIO | AVR_UART_FLAG_POLL_SLEEP);
    avr_ioctl(avr, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    input_ = avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_INPUT);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT),
                            onOutput, this);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XON), onXon,
                            this);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUT_XOFF),
                            onXoff, this);
}

PtyBridge::~PtyBridge() {
    ::unlink(link_.c_str());
    if (master_ >= 0) {
        ::close(master_);
    }
}

void PtyBridge::onOutput(avr_irq_t*, std::uint32_t value, void* param) {
    auto* bridge = static_cast<PtyBridge*>(param);
    auto byte = static_cast<std::uint8_t>(value);
    if (bridge->fault_ == BridgeFault::Garble && bridge->fromChip_ == garbledByte) {
        byte ^= 0x5A;
    }
    ++bridge->fromChip_;
    if (bridge->master_ >= 0 && bridge->open_) {
        // Lost when nobody listens, as on a wire.
        [[maybe_unused]] const ssize_t wrote = ::write(bridge->master_, &byte, 1);
    }
}

void PtyBridge::onXon(avr_irq_t*, std::uint32_t, void* param) {
    static_cast<PtyBridge*>(param)->xoff_ = false;
}

void PtyBridge::onXoff(avr_irq_t*, std::uint32_t, void* param) {
    static_cast<PtyBridge*>(param)->xoff_ = true;
}

bool PtyBridge::slaveOpen() const {
    pollfd p{master_, 0, 0};
    ::poll(&p, 1, 0);
    return (p.revents & POLLHUP) == 0;
}

bool PtyBridge::waitForOpen(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 5) {
        if (slaveOpen()) {
            open_ = true;
            chip_.resetExternally();
            return true;
        }
        ::usleep(5000);
    }
    return false;
}

void PtyBridge::service() {
    if (master_ < 0) {
        return;
    }
    const bool nowOpen = slaveOpen();
    if (nowOpen && !open_) {
        chip_.resetExternally();
        toChip_.clear();
    } else if (!nowOpen && open_) {
        closedAgain_ = true;
    }
    open_ = nowOpen;
    if (!open_) {
        return;
    }
    std::uint8_t buffer[256];
    const ssize_t got = ::read(master_, buffer, sizeof buffer);
    for (ssize_t i = 0; i < got; ++i) {
        ++fromHost_;
        if (fault_ != BridgeFault::Silent) {
            toChip_.push_back(buffer[i]);
        }
    }
    if (fault_ == BridgeFault::Hangup && fromHost_ >= hangupAfter) {
        ::close(master_);
        master_ = -1;
        open_ = false;
        closedAgain_ = true;
        return;
    }
    while (!xoff_ && !toChip_.empty()) {
        const std::uint8_t byte = toChip_.front();
        toChip_.pop_front();
        avr_raise_irq(input_, byte);
    }
    avr_t* avr = chip_.avr();
    if (fault_ == BridgeFault::FlashBit && !flipped_ && avr->flash[flippedAddress] != 0xFF) {
        avr->flash[flippedAddress] ^= 0x01;
        flipped_ = true;
    }
}

} // namespace quillon::sim
