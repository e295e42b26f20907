#include "quillon/MidiParts.h"

#include <algorithm>
#include <array>
#include <limits>

namespace quillon {
namespace {

constexpr int kDrumChannel = 9;

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Counts the notes that begin while no other note of the same part sounds.
std::int64_t notesAlone(std::vector<const MidiNote*> notes) {
    std::sort(notes.begin(), notes.end(),
              [](const MidiNote* a, const MidiNote* b) { return a->startMs < b->startMs; });
    std::int64_t alone = 0;
    // The latest end of the notes struck before the current moment.
    double soundingUntil = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < notes.size();) {
        const double now = notes[i]->startMs;
        std::size_t end = i;
        int soundingHere = 0;
        double latest = soundingUntil;
        for (; end < notes.size() && notes[end]->startMs == now; ++end) {
            if (notes[end]->endMs > now) {
                ++soundingHere;
            }
            latest = std::max(latest, notes[end]->endMs);
        }
        for (std::size_t k = i; k < end; ++k) {
            // Other notes struck at this moment that sound past it.
            const int others = soundingHere - (notes[k]->endMs > now ? 1 : 0);
            if (soundingUntil <= now && others == 0) {
                ++alone;
            }
        }
        soundingUntil = latest;
        i = end;
    }
    return alone;
}

// Whether `a` has a higher mean pitch than `b`, compared without rounding.
int compareMeanPitch(const MidiPart& a, const MidiPart& b) {
    const std::int64_t left = a.pitchSum * b.notes;
    const std::int64_t right = b.pitchSum * a.notes;
    return left < right ? -1 : (left > right ? 1 : 0);
}

} // namespace

std::vector<MidiPart> midiParts(const MidiFile& file) {
    const bool byTrack = file.format == 1;
    std::vector<std::vector<const MidiNote*>> grouped(byTrack ? file.tracks.size() : 16);
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        for (const MidiNote& note : file.tracks[t].notes) {
            if (note.channel != kDrumChannel) {
                grouped[byTrack ? t : static_cast<std::size_t>(note.channel)].push_back(&note);
            }
        }
    }
    std::vector<MidiPart> parts;
    for (std::size_t g = 0; g < grouped.size(); ++g) {
        const std::vector<const MidiNote*>& notes = grouped[g];
        if (notes.empty()) {
            continue;
        }
        MidiPart part;
        if (byTrack) {
            part.track = g;
            part.name = file.tracks[g].name;
        } else {
            part.channel = static_cast<int>(g);
        }
        std::array<bool, 16> used{};
        part.lowest = notes.front()->pitch;
        part.highest = notes.front()->pitch;
        for (const MidiNote* note : notes) {
            used[static_cast<std::size_t>(note->channel)] = true;
            part.pitchSum += note->pitch;
            part.lowest = std::min(part.lowest, note->pitch);
            part.highest = std::max(part.highest, note->pitch);
        }
        for (int c = 0; c < 16; ++c) {
            if (used[static_cast<std::size_t>(c)]) {
                part.channels.push_back(c);
            }
        }
        part.notes = static_cast<std::int64_t>(notes.size());
        part.notesAlone = notesAlone(notes);
        parts.push_back(std::move(part));
    }
    return parts;
}

bool isMelodyName(std::string_view name) {
    for (const std::string_view word : {"主旋律", "旋律"}) {
        if (name.find(word) != std::string_view::npos) {
            return true;
        }
    }
    std::string lowered(name);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), lower);
    for (const std::string_view word : {"melody", "lead", "vocal", "voice", "tune"}) {
        for (std::size_t at = lowered.find(word); at != std::string::npos;
             at = lowered.find(word, at + 1)) {
            const std::size_t after = at + word.size();
            if ((at == 0 || !isAsciiLetter(lowered[at - 1])) &&
                (after == lowered.size() || !isAsciiLetter(lowered[after]))) {
                return true;
            }
        }
    }
    return false;
}

std::size_t defaultMidiPart(std::span<const MidiPart> parts) {
    // Narrowed step by step; each step keeps the whole field when none would remain.
    std::vector<std::size_t> field(parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i) {
        field[i] = i;
    }
    const auto narrow = [&field](auto keep) {
        std::vector<std::size_t> kept;
        std::copy_if(field.begin(), field.end(), std::back_inserter(kept), keep);
        if (!kept.empty()) {
            field = std::move(kept);
        }
    };
    narrow([&parts](std::size_t i) { return isMelodyName(parts[i].name); });
    narrow([&parts](std::size_t i) { return parts[i].mostlyOneAtATime(); });
    std::size_t best = field.front();
    for (const std::size_t i : field) {
        const int mean = compareMeanPitch(parts[i], parts[best]);
        if (mean > 0 || (mean == 0 && parts[i].notes > parts[best].notes)) {
            best = i;
        }
    }
    return best;
}

} // namespace quillon
