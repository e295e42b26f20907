#include "quillon/ImportTune.h"

#include "quillon/MidiParts.h"
#include "quillon/MidiReader.h"
#include "quillon/RtttlReader.h"
#include "quillon/TopVoice.h"
#include "quillon/TuneConverter.h"

#include <algorithm>
#include <optional>
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

std::string_view asText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The candidate at `index`, or the default one when none is given.
ImportResult importAt(std::span<const std::uint8_t> bytes, std::optional<std::size_t> index) {
    if (bytes.empty()) {
        return ImportError::Empty;
    }
    if (isMidiFile(bytes)) {
        const auto file = readMidi(bytes);
        if (const auto* error = std::get_if<ImportError>(&file)) {
            return *error;
        }
        const MidiFile& midi = std::get<MidiFile>(file);
        const std::vector<MidiPart> parts = midiParts(midi);
        if (parts.empty()) {
            return ImportError::NoNotes;
        }
        const std::size_t chosen = index.value_or(defaultMidiPart(parts));
        if (chosen >= parts.size()) {
            return ImportError::NoSuchTune;
        }
        return convert(topVoice(midi, parts, chosen), TuneFormat::Midi);
    }
    auto tunes = readRtttlTunes(asText(bytes));
    if (const auto* error = std::get_if<ImportError>(&tunes)) {
        return *error;
    }
    auto& all = std::get<std::vector<RtttlTune>>(tunes);
    const std::size_t chosen = index.value_or(0);
    if (chosen >= all.size()) {
        return ImportError::NoSuchTune;
    }
    Tune& tune = all[chosen].tune;
    tune.report.add(ChangeKind::OtherTunesLeftOut, static_cast<std::int64_t>(all.size()) - 1);
    return convert(tune, TuneFormat::Rtttl);
}

} // namespace

ImportResult importTune(std::span<const std::uint8_t> bytes) {
    return importAt(bytes, std::nullopt);
}

ImportResult importTune(std::span<const std::uint8_t> bytes, std::size_t index) {
    return importAt(bytes, index);
}

CandidatesResult listTunes(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return ImportError::Empty;
    }
    TuneCandidates candidates;
    if (isMidiFile(bytes)) {
        const auto file = readMidi(bytes);
        if (const auto* error = std::get_if<ImportError>(&file)) {
            return *error;
        }
        const std::vector<MidiPart> parts = midiParts(std::get<MidiFile>(file));
        if (parts.empty()) {
            return ImportError::NoNotes;
        }
        candidates.format = TuneFormat::Midi;
        candidates.defaultIndex = defaultMidiPart(parts);
        for (const MidiPart& part : parts) {
            TuneCandidate& candidate = candidates.list.emplace_back();
            candidate.name = part.name;
            for (const int channel : part.channels) {
                candidate.channels.push_back(channel + 1);
            }
            candidate.notes = part.notes;
            candidate.lowest = part.lowest;
            candidate.highest = part.highest;
        }
        return candidates;
    }
    const auto tunes = readRtttlTunes(asText(bytes));
    if (const auto* error = std::get_if<ImportError>(&tunes)) {
        return *error;
    }
    for (const RtttlTune& tune : std::get<std::vector<RtttlTune>>(tunes)) {
        TuneCandidate& candidate = candidates.list.emplace_back();
        candidate.name = tune.name;
        for (const TuneElement& element : tune.tune.elements) {
            if (element.isRest()) {
                continue;
            }
            ++candidate.notes;
            candidate.lowest =
                candidate.lowest < 0 ? element.pitch : std::min(candidate.lowest, element.pitch);
            candidate.highest = std::max(candidate.highest, element.pitch);
        }
    }
    return candidates;
}

std::string noteName(int pitch) {
    static constexpr const char* kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                             "F#", "G",  "G#", "A",  "A#", "B"};
    const int octave = pitch / 12 - 1;
    return kNames[pitch % 12] + std::to_string(octave);
}

} // namespace quillon
