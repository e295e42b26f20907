#include "quillon/ImportTune.h"

#include "quillon/MidiReader.h"
#include "quillon/RtttlReader.h"
#include "quillon/TopVoice.h"
#include "quillon/TuneConverter.h"

#include <string_view>

namespace quillon {
namespace {

ImportResult convert(const Tune& tune, TuneFormat format) {
    if (tune.elements.empty()) {
        return ImportError::NoNotes;
    }
    auto converted = convertTune(tune);
    if (const auto* error = std::get_if<ImportError>(&converted)) {
        return *error;
    }
    auto& codes = std::get<ConvertedTune>(converted);
    ImportedTune imported{format, std::move(codes.codes), tune.report};
    imported.report.add(codes.report);
    return imported;
}

} // namespace

ImportResult importTune(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return ImportError::Empty;
    }
    if (isMidiFile(bytes)) {
        const auto file = readMidi(bytes);
        if (const auto* error = std::get_if<ImportError>(&file)) {
            return *error;
        }
        return convert(topVoice(std::get<MidiFile>(file)), TuneFormat::Midi);
    }
    const auto tune =
        readRtttl(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (const auto* error = std::get_if<ImportError>(&tune)) {
        return *error;
    }
    return convert(std::get<Tune>(tune), TuneFormat::Rtttl);
}

} // namespace quillon
