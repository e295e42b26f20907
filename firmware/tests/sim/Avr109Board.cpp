#include "Avr109Board.h"

#include "LinkedPty.h"

#include <sim_avr.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace quillon::sim {

namespace {

constexpr std::uint8_t kDone = '\r';
constexpr std::uint8_t kUnknown = '?';
constexpr std::uint32_t kPageSize = 128; // the ATmega32U4's flash page
constexpr auto kBootWindow = std::chrono::seconds(8);

} // namespace

Avr109Board::Avr109Board(SimulatedChip& chip, const std::string& linkPath,
                         std::array<std::uint8_t, 3> signature, bool ignoreTouch)
    : chip_(chip), link_(linkPath), signature_(signature), ignoreTouch_(ignoreTouch) {
    master_ = openLinkedPty(link_);
}

Avr109Board::~Avr109Board() {
    ::unlink(link_.c_str());
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool Avr109Board::slaveOpen() const {
    pollfd p{master_, 0, 0};
    ::poll(&p, 1, 0);
    return (p.revents & POLLHUP) == 0;
}

// The master reads the slave's settings, which outlive its close: a touch too short to be
// seen open still leaves 1200 baud behind.
bool Avr109Board::slaveAt1200() const {
    termios tio{};
    return ::tcgetattr(master_, &tio) == 0 && ::cfgetospeed(&tio) == B1200;
}

bool Avr109Board::timedOut() const {
    return touched_ && !spokenTo_ && std::chrono::steady_clock::now() - touchedAt_ > kBootWindow;
}

bool Avr109Board::done() const {
    return ignoreTouch_ ? closes_ >= 2 : exited_ && !open_;
}

void Avr109Board::service() {
    const bool nowOpen = slaveOpen();
    if (open_ && !nowOpen) {
        ++closes_;
    }
    open_ = nowOpen;
    if (!touched_ && !ignoreTouch_ && !open_ && slaveAt1200()) {
        touched_ = true;
        touchedAt_ = std::chrono::steady_clock::now();
        pending_.clear();
    }
    if (!open_) {
        return;
    }
    std::uint8_t buffer[256];
    const ssize_t got = ::read(master_, buffer, sizeof buffer);
    for (ssize_t i = 0; i < got; ++i) {
        ++fromHost_;
        // Before the touch the sketch runs, not the bootloader: nobody answers.
        if (touched_ && !exited_ && !timedOut()) {
            spokenTo_ = true;
            pending_.push_back(buffer[i]);
        }
    }
    while (answerOne()) {
    }
}

void Avr109Board::reply(const std::uint8_t* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        [[maybe_unused]] const ssize_t wrote = ::write(master_, bytes + i, 1);
    }
}

bool Avr109Board::answerOne() {
    if (pending_.empty() || exited_) {
        return false;
    }
    const std::uint8_t command = pending_.front();
    const auto size = [&] { return static_cast<std::uint32_t>(pending_[1] << 8 | pending_[2]); };
    std::size_t used = 1;
    avr_t* avr = chip_.avr();
    switch (command) {
    case 'a': { // auto-increment of the address: supported
        const std::uint8_t yes = 'Y';
        reply(&yes, 1);
        break;
    }
    case 'A': // word address, high byte first
        if (pending_.size() < 3) {
            return false;
        }
        address_ = size() * 2;
        used = 3;
        reply(&kDone, 1);
        break;
    case 'B': { // block write: size, memory type, data; flash is written a page at a time
        if (pending_.size() < 4 || pending_.size() < 4 + size()) {
            return false;
        }
        const std::uint32_t n = size();
        used = 4 + n;
        if (pending_[3] != 'F' || n > kPageSize || address_ + n > avr->flashend + 1) {
            reply(&kUnknown, 1);
            break;
        }
        // The bootloader erases the page before it writes it.
        const std::uint32_t page = address_ & ~(kPageSize - 1);
        std::fill_n(avr->flash + page, kPageSize, 0xFF);
        for (std::uint32_t i = 0; i < n; ++i) {
            avr->flash[address_ + i] = pending_[4 + i];
        }
        address_ += n;
        reply(&kDone, 1);
        break;
    }
    case 'g': { // block read: size, memory type; answered with the bytes only
        if (pending_.size() < 4) {
            return false;
        }
        const std::uint32_t n = size();
        used = 4;
        if (pending_[3] != 'F' || address_ + n > avr->flashend + 1) {
            reply(&kUnknown, 1);
            break;
        }
        reply(avr->flash + address_, n);
        address_ += n;
        break;
    }
    case 's': { // the signature, its last byte first
        const std::uint8_t sig[] = {signature_[2], signature_[1], signature_[0]};
        reply(sig, sizeof sig);
        break;
    }
    case 'P': // enter and leave programming mode: nothing to do on this chip
    case 'L':
        reply(&kDone, 1);
        break;
    case 'E': // exit: the program starts from address 0
        reply(&kDone, 1);
        exited_ = true;
        avr->reset_pc = 0;
        chip_.resetExternally();
        break;
    default:
        reply(&kUnknown, 1);
        break;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(used));
    return true;
}

} // namespace quillon::sim
