#include "quillon/MidiReader.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <map>
#include <optional>

namespace quillon {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000; // microseconds a quarter, 120 beats a minute

// A bounds-checked reader over a byte range: every read past the end fails instead.
class ByteCursor {
public:
    ByteCursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t left() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

    std::optional<std::uint32_t> big(std::size_t width) {
        if (left() < width) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            value = value << 8 | bytes_[pos_++];
        }
        return value;
    }

    std::optional<std::uint8_t> byte() {
        if (atEnd()) {
            return std::nullopt;
        }
        return bytes_[pos_++];
    }

    std::optional<std::uint8_t> peek() const {
        if (atEnd()) {
            return std::nullopt;
        }
        return bytes_[pos_];
    }

    // A variable-length quantity: at most four bytes of seven bits, as the format allows.
    std::optional<std::uint32_t> variable() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto b = byte();
            if (!b) {
                return std::nullopt;
            }
            value = value << 7 | (*b & 0x7fu);
            if ((*b & 0x80) == 0) {
                return value;
            }
        }
        return std::nullopt;
    }

    // The next `count` bytes as a range of their own; none when fewer are left.
    std::optional<std::span<const std::uint8_t>> take(std::size_t count) {
        if (left() < count) {
            return std::nullopt;
        }
        const auto part = bytes_.subspan(pos_, count);
        pos_ += count;
        return part;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

struct TickNote {
    int channel;
    int pitch;
    std::uint64_t start;
    std::optional<std::uint64_t> end;
};

struct TempoChange {
    std::uint64_t tick;
    std::uint32_t tempo;
};

struct TickTrack {
    std::string name;
    bool named = false;
    std::vector<TickNote> notes;
    std::uint64_t endTick = 0;
};

// Reads the events of one MTrk chunk: its notes paired in ticks, and its tempo changes added
// to `tempos` in order. False when the chunk breaks the format.
bool readTrack(std::span<const std::uint8_t> chunk, TickTrack& track,
               std::vector<TempoChange>& tempos) {
    ByteCursor in(chunk);
    std::uint64_t tick = 0;
    std::optional<std::uint8_t> runningStatus;
    // Open notes by channel and pitch, oldest first.
    std::map<int, std::deque<std::size_t>> open;

    while (!in.atEnd()) {
        const auto delta = in.variable();
        const auto first = in.peek();
        if (!delta || !first) {
            return false;
        }
        tick += *delta;
        std::uint8_t status;
        if (*first & 0x80) {
            status = *in.byte();
        } else if (runningStatus) {
            status = *runningStatus;
        } else {
            return false;
        }

        if (status == 0xff) {
            const auto type = in.byte();
            const auto length = in.variable();
            if (!type || !length) {
                return false;
            }
            const auto data = in.take(*length);
            if (!data) {
                return false;
            }
            if (*type == 0x51 && data->size() == 3) {
                tempos.push_back(TempoChange{tick, std::uint32_t{(*data)[0]} << 16 |
                                                       std::uint32_t{(*data)[1]} << 8 |
                                                       (*data)[2]});
            } else if (*type == 0x03 && !track.named) {
                track.name.assign(data->begin(), data->end());
                track.named = true;
            } else if (*type == 0x2f) {
                break;
            }
            continue;
        }
        if (status == 0xf0 || status == 0xf7) {
            const auto length = in.variable();
            if (!length || !in.take(*length)) {
                return false;
            }
            continue;
        }
        if (status >= 0xf0) {
            // System common and real-time messages have no place in a file.
            return false;
        }

        runningStatus = status;
        const int kind = status >> 4;
        const int channel = status & 0x0f;
        const auto data1 = in.byte();
        if (!data1 || (*data1 & 0x80)) {
            return false;
        }
        if (kind == 0xc || kind == 0xd) {
            continue;
        }
        const auto data2 = in.byte();
        if (!data2 || (*data2 & 0x80)) {
            return false;
        }
        const int key = channel * 128 + *data1;
        if (kind == 0x9 && *data2 > 0) {
            open[key].push_back(track.notes.size());
            track.notes.push_back(TickNote{channel, *data1, tick, std::nullopt});
        } else if (kind == 0x8 || kind == 0x9) {
            auto& waiting = open[key];
            if (!waiting.empty()) {
                track.notes[waiting.front()].end = tick;
                waiting.pop_front();
            }
        }
    }
    track.endTick = tick;
    return true;
}

// Milliseconds from the start of the file at a tick.
class TempoMap {
public:
    // `division` is the header's: ticks a quarter, or an SMPTE frame rate and ticks a frame.
    TempoMap(std::uint16_t division, std::vector<TempoChange> tempos) {
        if (division & 0x8000) {
            const int fps = -static_cast<std::int8_t>(division >> 8);
            // 29 stands for 30 drop-frame, 29.97 frames a second.
            const double frames = fps == 29 ? 30000.0 / 1001.0 : fps;
            msPerTickSmpte_ = 1000.0 / (frames * (division & 0xff));
            return;
        }
        quarter_ = division;
        std::stable_sort(
            tempos.begin(), tempos.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        segments_.push_back(Segment{0, kDefaultTempo, 0.0});
        for (const TempoChange& change : tempos) {
            const double ms = msAt(change.tick);
            if (segments_.back().tick == change.tick) {
                // The later of two changes at one tick holds from there.
                segments_.back().tempo = change.tempo;
            } else {
                segments_.push_back(Segment{change.tick, change.tempo, ms});
            }
        }
    }

    double msAt(std::uint64_t tick) const {
        if (segments_.empty()) {
            return static_cast<double>(tick) * msPerTickSmpte_;
        }
        const auto after = std::upper_bound(
            segments_.begin(), segments_.end(), tick,
            [](std::uint64_t t, const Segment& segment) { return t < segment.tick; });
        const Segment& segment = *(after - 1);
        return segment.ms +
               static_cast<double>(tick - segment.tick) * segment.tempo / (quarter_ * 1000.0);
    }

private:
    struct Segment {
        std::uint64_t tick;
        std::uint32_t tempo;
        double ms;
    };
    std::vector<Segment> segments_;
    double quarter_ = 1;
    double msPerTickSmpte_ = 0;
};

bool validDivision(std::uint16_t division) {
    if (!(division & 0x8000)) {
        return division != 0;
    }
    const int fps = -static_cast<std::int8_t>(division >> 8);
    return (fps == 24 || fps == 25 || fps == 29 || fps == 30) && (division & 0xff) != 0;
}

} // namespace

bool isMidiFile(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && bytes[0] == 'M' && bytes[1] == 'T' && bytes[2] == 'h' &&
           bytes[3] == 'd';
}

std::variant<MidiFile, ImportError> readMidi(std::span<const std::uint8_t> bytes) {
    if (!isMidiFile(bytes)) {
        return ImportError::NotATune;
    }
    ByteCursor in(bytes.subspan(4));
    const auto headerLength = in.big(4);
    if (!headerLength) {
        return ImportError::CutShort;
    }
    if (*headerLength < 6) {
        return ImportError::BrokenMidi;
    }
    const auto header = in.take(*headerLength);
    if (!header) {
        return ImportError::CutShort;
    }
    ByteCursor fields(*header);
    const auto format = *fields.big(2);
    const auto trackCount = *fields.big(2);
    const auto division = static_cast<std::uint16_t>(*fields.big(2));
    if (format == 2) {
        return ImportError::MidiFormat2;
    }
    if (format > 2 || !validDivision(division)) {
        return ImportError::BrokenMidi;
    }

    std::vector<TickTrack> tickTracks;
    std::vector<TempoChange> tempos;
    while (tickTracks.size() < trackCount) {
        const auto id = in.big(4);
        const auto length = in.big(4);
        if (!id || !length) {
            return ImportError::CutShort;
        }
        const auto chunk = in.take(*length);
        if (!chunk) {
            return ImportError::CutShort;
        }
        if (*id != 0x4d54726b) { // "MTrk"; other chunks are skipped
            continue;
        }
        tickTracks.emplace_back();
        if (!readTrack(*chunk, tickTracks.back(), tempos)) {
            return ImportError::BrokenMidi;
        }
    }

    const TempoMap map(division, std::move(tempos));
    MidiFile file;
    file.format = static_cast<int>(format);
    for (const TickTrack& tickTrack : tickTracks) {
        MidiTrack& track = file.tracks.emplace_back();
        track.name = tickTrack.name;
        track.notes.reserve(tickTrack.notes.size());
        for (const TickNote& note : tickTrack.notes) {
            track.notes.push_back(MidiNote{note.channel, note.pitch, map.msAt(note.start),
                                           map.msAt(note.end.value_or(tickTrack.endTick))});
        }
    }
    return file;
}

} // namespace quillon
