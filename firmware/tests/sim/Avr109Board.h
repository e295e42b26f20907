#pragma once

#include "SimulatedChip.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace quillon::sim {

// A Leonardo's bootloader, played by the host: simavr has no USB for the ATmega32U4, so the
// AVR109 commands arrive on a pseudo-terminal (its other end at linkPath) and are answered here,
// the pages written straight into the simulated chip's flash. As on the board, the bootloader
// only starts after the "1200-baud touch": the port set to 1200 baud and closed, and as there
// it leaves again when no command came within 8 s: the board runs a sketch, or there would be
// nothing to touch. After 'E' the chip runs the program from address 0.
class Avr109Board {
public:
    // ignoreTouch: a board that never starts its bootloader, to see the host give up.
    Avr109Board(SimulatedChip& chip, const std::string& linkPath,
                std::array<std::uint8_t, 3> signature, bool ignoreTouch);
    ~Avr109Board();
    Avr109Board(const Avr109Board&) = delete;
    Avr109Board& operator=(const Avr109Board&) = delete;

    // Watches the port and answers what the host sent; call often.
    void service();
    // The host left the bootloader and closed the port, or (ignoring the touch) opened and
    // closed it twice: the touch and the attempt to talk.
    bool done() const;
    bool touched() const { return touched_; }
    // The host was too slow after the touch: the bootloader gave up waiting.
    bool timedOut() const;
    std::size_t bytesFromHost() const { return fromHost_; }

private:
    bool slaveOpen() const;
    bool slaveAt1200() const;
    // Answers the first whole command in pending_; false when it is not whole yet.
    bool answerOne();
    void reply(const std::uint8_t* bytes, std::size_t n);

    SimulatedChip& chip_;
    std::string link_;
    std::array<std::uint8_t, 3> signature_;
    bool ignoreTouch_;
    int master_ = -1;
    bool open_ = false;
    int closes_ = 0;
    bool touched_ = false;
    bool exited_ = false;
    bool spokenTo_ = false;
    std::chrono::steady_clock::time_point touchedAt_;
    std::uint32_t address_ = 0; // a byte address; the protocol counts words
    std::deque<std::uint8_t> pending_;
    std::size_t fromHost_ = 0;
};

} // namespace quillon::sim
