// Fuzz target for the RTTTL reader: any bytes read without a crash and without reading past
// them, and a tune that comes back converts into valid music codes.
#include "TuneChecks.h"
#include "quillon/RtttlReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result =
        quillon::readRtttl(std::string_view(reinterpret_cast<const char*>(data), size));
    if (const auto* tune = std::get_if<quillon::Tune>(&result)) {
        quillon::fuzz::check(!tune->elements.empty());
        quillon::fuzz::checkTune(*tune);
    }
    return 0;
}
