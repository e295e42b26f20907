#include "ConventionModel.h"

#include "quillon_convention.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quillon::sim {

namespace {

// The convention the player is built on; a test holds it to the README's tables.
constexpr unsigned noteHz[QUILLON_NOTE_COUNT] = {QUILLON_NOTE_FREQUENCIES_HZ};
#define QUILLON_AS_DOUBLE(ms)                                                                      \
    double {                                                                                       \
        ms                                                                                         \
    }
constexpr double lengthMs[8] = {QUILLON_DURATIONS_MS(QUILLON_AS_DOUBLE)};
#undef QUILLON_AS_DOUBLE
constexpr double gapMs = QUILLON_GAP_MS;

} // namespace

ConventionModel::ConventionModel(std::vector<std::uint8_t> codes) {
    double at = 0;
    for (const std::uint8_t code : codes) {
        if (code == 0) {
            break;
        }
        const unsigned index = code >> 3;
        const double length = lengthMs[code & 7];
        if (index < QUILLON_NOTE_COUNT) {
            const unsigned halfPeriodUs = 500000 / noteHz[index];
            sounds_.push_back({code, at, length - gapMs, 1e6 / (2.0 * halfPeriodUs)});
        } else {
            silent_.emplace_back(code, at);
        }
        at += length;
    }
    totalMs_ = at;
}

std::vector<std::uint8_t> ConventionModel::readMelody(const std::string& sourcePath,
                                                      const std::string& arrayName) {
    std::ifstream in(sourcePath);
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    const auto name = source.find(arrayName + "[]");
    const auto open = source.find('{', name == std::string::npos ? source.size() : name);
    const auto close = source.find('}', open == std::string::npos ? source.size() : open);
    if (close == std::string::npos) {
        throw std::runtime_error("no " + arrayName + " array in " + sourcePath);
    }
    std::vector<std::uint8_t> codes;
    std::stringstream items(source.substr(open + 1, close - open - 1));
    std::string item;
    while (std::getline(items, item, ',')) {
        std::size_t first = 0;
        while (first < item.size() && std::isspace(static_cast<unsigned char>(item[first]))) {
            ++first;
        }
        if (first < item.size()) {
            codes.push_back(static_cast<std::uint8_t>(std::strtoul(&item[first], nullptr, 16)));
        }
    }
    if (codes.empty() || codes.back() != 0) {
        throw std::runtime_error(arrayName + " in " + sourcePath + " does not end at 0x00");
    }
    return codes;
}

} // namespace quillon::sim
