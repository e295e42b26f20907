#include "quillon/TopVoice.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <set>
#include <tuple>

namespace quillon {
namespace {

constexpr int kDrumChannel = 9;
// Shorter silences are articulation: every code already ends in 20 ms of silence.
constexpr double kShortestSilenceMs = 50.0;

bool isDrum(const MidiNote& note) {
    return note.channel == kDrumChannel;
}

struct Segment {
    std::size_t note;
    double start;
    double end;
};

// At any moment the highest sounding note; of two at one pitch the later struck, of two struck
// together the later in the file.
std::vector<Segment> highestSounding(const std::vector<MidiNote>& notes) {
    struct Event {
        double time;
        bool on;
        std::size_t note;
    };
    std::vector<Event> events;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        // A note that ends where it starts never sounds.
        if (notes[i].endMs > notes[i].startMs) {
            events.push_back(Event{notes[i].startMs, true, i});
            events.push_back(Event{notes[i].endMs, false, i});
        }
    }
    // All the events of one moment are taken together before the top is looked at, so their
    // order among themselves does not matter.
    std::sort(events.begin(), events.end(),
              [](const Event& a, const Event& b) { return a.time < b.time; });

    using Key = std::tuple<int, double, std::size_t>;
    std::set<Key> sounding;
    std::vector<Segment> segments;
    std::optional<std::size_t> top;
    for (std::size_t i = 0; i < events.size();) {
        const double now = events[i].time;
        for (; i < events.size() && events[i].time == now; ++i) {
            const MidiNote& note = notes[events[i].note];
            const Key key{note.pitch, note.startMs, events[i].note};
            if (events[i].on) {
                sounding.insert(key);
            } else {
                sounding.erase(key);
            }
        }
        const std::optional<std::size_t> nowTop =
            sounding.empty() ? std::nullopt : std::optional(std::get<2>(*sounding.rbegin()));
        if (nowTop == top) {
            continue;
        }
        if (top) {
            segments.back().end = now;
        }
        if (nowTop) {
            segments.push_back(Segment{*nowTop, now, now});
        }
        top = nowTop;
    }
    return segments;
}

std::int64_t wholeMs(double ms) {
    return static_cast<std::int64_t>(std::min(std::round(ms), 9.0e18));
}

} // namespace

Tune topVoice(const MidiFile& file) {
    const std::vector<MidiPart> parts = midiParts(file);
    return topVoice(file, parts, parts.empty() ? 0 : defaultMidiPart(parts));
}

Tune topVoice(const MidiFile& file, std::span<const MidiPart> parts, std::size_t chosen) {
    Tune tune;
    std::int64_t drums = 0;
    for (const MidiTrack& track : file.tracks) {
        drums += std::count_if(track.notes.begin(), track.notes.end(), isDrum);
    }
    tune.report.add(ChangeKind::DrumNotesLeftOut, drums);
    if (chosen >= parts.size()) {
        return tune;
    }
    const MidiPart& part = parts[chosen];
    const bool byTrack = file.format == 1;
    std::int64_t othersNotes = 0;
    for (std::size_t p = 0; p < parts.size(); ++p) {
        othersNotes += p == chosen ? 0 : parts[p].notes;
    }
    tune.report.add(byTrack ? ChangeKind::OtherTracksLeftOut : ChangeKind::OtherChannelsLeftOut,
                    othersNotes, static_cast<std::int64_t>(parts.size()) - 1);

    std::vector<MidiNote> notes;
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        if (byTrack && t != part.track) {
            continue;
        }
        for (const MidiNote& note : file.tracks[t].notes) {
            if (!isDrum(note) && (byTrack || note.channel == part.channel)) {
                notes.push_back(note);
            }
        }
    }

    const std::vector<Segment> segments = highestSounding(notes);
    std::vector<bool> heard(notes.size(), false);
    for (const Segment& segment : segments) {
        heard[segment.note] = true;
    }
    std::int64_t hidden = 0;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        hidden += notes[i].endMs > notes[i].startMs && !heard[i] ? 1 : 0;
    }
    tune.report.add(ChangeKind::NotesUnderTopVoice, hidden);
    if (segments.empty()) {
        return tune;
    }

    std::int64_t shortSilences = 0;
    const double lead = segments.front().start;
    if (lead >= kShortestSilenceMs) {
        tune.report.add(ChangeKind::LeadingSilenceLeftOut, 1, wholeMs(lead));
    } else if (lead > 0) {
        ++shortSilences;
    }
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& segment = segments[i];
        const int pitch = notes[segment.note].pitch;
        if (i + 1 == segments.size()) {
            tune.elements.push_back(TuneElement{pitch, segment.end - segment.start});
            break;
        }
        const double next = segments[i + 1].start;
        const double silence = next - segment.end;
        if (silence >= kShortestSilenceMs) {
            tune.elements.push_back(TuneElement{pitch, segment.end - segment.start});
            tune.elements.push_back(TuneElement{TuneElement::kRest, silence});
        } else {
            shortSilences += silence > 0 ? 1 : 0;
            tune.elements.push_back(TuneElement{pitch, next - segment.start});
        }
    }
    tune.report.add(ChangeKind::ShortSilenceDropped, shortSilences);
    return tune;
}

} // namespace quillon
