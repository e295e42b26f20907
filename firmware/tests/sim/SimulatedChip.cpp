#include "SimulatedChip.h"

#include <avr_ioport.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_hex.h>
#include <sim_io.h>
#include <sim_irq.h>

#include <cstring>
#include <stdexcept>

namespace quillon::sim {

namespace {

// LPM and ELPM in all their forms; Z (r31:r30) holds the byte address they read.
bool readsFlash(std::uint16_t opcode) {
    if (opcode == 0x95C8 || opcode == 0x95D8) {
        return true;
    }
    const std::uint16_t form = opcode & 0xFE0F;
    return form == 0x9004 || form == 0x9005 || form == 0x9006 || form == 0x9007;
}

} // namespace

SimulatedChip::SimulatedChip(const std::string& elfPath, const std::string& mcu, std::uint32_t hz)
    : hz_(hz) {
    elf_firmware_t firmware;
    std::memset(&firmware, 0, sizeof firmware);
    if (elf_read_firmware(elfPath.c_str(), &firmware) != 0) {
        throw std::runtime_error("simavr cannot load " + elfPath);
    }
    avr_ = avr_make_mcu_by_name(mcu.c_str());
    if (avr_ == nullptr) {
        throw std::runtime_error("simavr does not know " + mcu);
    }
    avr_init(avr_);
    avr_->log = LOG_ERROR;
    firmware.frequency = hz;
    std::strncpy(firmware.mmcu, mcu.c_str(), sizeof firmware.mmcu - 1);
    avr_load_firmware(avr_, &firmware);
    avr_->frequency = hz;
}

SimulatedChip::SimulatedChip(const std::string& mcu, std::uint32_t hz,
                             const std::string& bootHexPath, std::uint32_t bootAddress)
    : hz_(hz) {
    avr_ = avr_make_mcu_by_name(mcu.c_str());
    if (avr_ == nullptr) {
        throw std::runtime_error("simavr does not know " + mcu);
    }
    avr_init(avr_);
    avr_->log = LOG_ERROR;
    avr_->frequency = hz;
    // No file: a bootloader played by the host (a Leonardo's), the flash all erased.
    if (!bootHexPath.empty()) {
        ihex_chunk_p chunks = nullptr;
        const int count = read_ihex_chunks(bootHexPath.c_str(), &chunks);
        if (count <= 0) {
            throw std::runtime_error("cannot read " + bootHexPath);
        }
        for (int i = 0; i < count; ++i) {
            if (chunks[i].baseaddr + chunks[i].size > avr_->flashend + 1) {
                free_ihex_chunks(chunks);
                throw std::runtime_error(bootHexPath + " runs past the end of the flash");
            }
            std::memcpy(avr_->flash + chunks[i].baseaddr, chunks[i].data, chunks[i].size);
        }
        free_ihex_chunks(chunks);
    }
    avr_->codeend = avr_->flashend;
    avr_->reset_pc = bootAddress;
    avr_->pc = bootAddress;
}

void SimulatedChip::resetExternally() {
    avr_reset(avr_);
    // A chip stopped on erased flash runs again.
    avr_->state = cpu_Running;
    // MCUSR, at the same data address on the ATmega328P, 2560 and 32U4.
    constexpr int mcusr = 0x54;
    constexpr std::uint8_t extrf = 1 << 1;
    avr_->data[mcusr] = extrf;
}

SimulatedChip::~SimulatedChip() {
    if (avr_ != nullptr) {
        avr_terminate(avr_);
    }
}

void SimulatedChip::watch(char port, int pin) {
    Pin& watched = pins_[pinKey(port, pin)];
    watched.chip = this;
    avr_irq_t* irq = avr_io_getirq(avr_, AVR_IOCTL_IOPORT_GETIRQ(port), pin);
    if (irq == nullptr) {
        throw std::runtime_error(std::string("no port ") + port);
    }
    avr_irq_register_notify(
        irq,
        [](avr_irq_t*, std::uint32_t value, void* param) {
            auto* p = static_cast<Pin*>(param);
            const bool high = value != 0;
            if (p->edges.empty() ? high : p->edges.back().high != high) {
                p->edges.push_back({p->chip->cycle(), high});
            }
        },
        &watched);
}

bool SimulatedChip::run(std::uint64_t untilCycle, const std::function<bool()>& done) {
    while (avr_->cycle < untilCycle) {
        const std::uint32_t pc = avr_->pc;
        const auto opcode = static_cast<std::uint16_t>(avr_->flash[pc] | avr_->flash[pc + 1] << 8);
        if (readsFlash(opcode)) {
            flashReads_[pc].insert(
                static_cast<std::uint32_t>(avr_->data[30] | avr_->data[31] << 8));
        }
        const int state = avr_run(avr_);
        if (state == cpu_Done || state == cpu_Crashed) {
            return false;
        }
        if (done && done()) {
            break;
        }
    }
    return true;
}

const std::vector<Edge>& SimulatedChip::edges(char port, int pin) const {
    static const std::vector<Edge> none;
    const auto found = pins_.find(pinKey(port, pin));
    return found == pins_.end() ? none : found->second.edges;
}

std::uint64_t SimulatedChip::cycle() const {
    return avr_->cycle;
}

} // namespace quillon::sim
