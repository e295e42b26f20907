// Fuzz target for the RTTTL reader: any bytes read without a crash and without reading past
// them, and every tune that comes back (a file may hold several, one a line) converts into
// valid music codes.
#include "TuneChecks.h"
#include "quillon/RtttlReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result =
        quillon::readRtttlTunes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (const auto* tunes = std::get_if<std::vector<quillon::RtttlTune>>(&result)) {
        quillon::fuzz::check(!tunes->empty());
        for (const quillon::RtttlTune& read : *tunes) {
            quillon::fuzz::check(!read.tune.elements.empty());
            quillon::fuzz::checkTune(read.tune);
        }
    }
    return 0;
}
