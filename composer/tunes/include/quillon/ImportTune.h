#pragma once

#include "quillon/ImportError.h"
#include "quillon/ImportReport.h"
#include "quillon/MusicCode.h"

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

namespace quillon {

enum class TuneFormat { Rtttl, Midi };

struct ImportedTune {
    TuneFormat format = TuneFormat::Rtttl;
    // Notes and rests, without the terminating 0x00; never empty.
    std::vector<MusicCode> codes;
    // Everything that had to change, reading and conversion together.
    ImportReport report;
};

using ImportResult = std::variant<ImportError, ImportedTune>;

// A file's bytes as music codes: a Standard MIDI File when they start with "MThd", RTTTL text
// otherwise (see readMidi, topVoice, readRtttl and convertTune for the rules).
ImportResult importTune(std::span<const std::uint8_t> bytes);

} // namespace quillon
