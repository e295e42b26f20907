#include "quillon/TuneConverter.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace quillon {
namespace {

constexpr int kLowest = 48;  // C3, note index 0
constexpr int kHighest = 95; // B6, note index 27

// Lengths in ms by duration code 1 to 7, and the codes that hold them.
constexpr std::array<int, 7> kLengths = {100, 200, 400, 800, 1200, 1600, 2000};
constexpr std::array<int, 7> kNoteDuration = {1, 2, 3, 4, 5, 6, 7};
// 400 ms as the rest button writes it, duration code 0.
constexpr std::array<MusicCode, 7> kRestCode = {0xf9, 0xfa, 0xf8, 0xfc, 0xfd, 0xfe, 0xff};
constexpr int kLongest = 2000;
// Lengths closer than this count as equal: a tie, or no change at all.
constexpr double kTolerance = 1e-6;
// A length counts as changed when it moves by this much or more.
constexpr double kChangedMs = 0.5;

int pitchClass(int pitch) {
    return ((pitch % 12) + 12) % 12;
}

bool isNatural(int pitch) {
    switch (pitchClass(pitch)) {
    case 1:
    case 3:
    case 6:
    case 8:
    case 10:
        return false;
    default:
        return true;
    }
}

bool inRange(int pitch) {
    return pitch >= kLowest && pitch <= kHighest;
}

// 0, +1, -1, +2, -2, ...: the smallest move first, upward before downward.
int nthMove(int n) {
    return n % 2 == 1 ? (n + 1) / 2 : -(n / 2);
}

// The move among 0, +1, -1, ... +limit, -limit for which `score` is highest; the first such.
template <typename Score> int bestMove(int limit, Score score) {
    int best = 0;
    std::int64_t bestScore = -1;
    for (int n = 0; n <= 2 * limit; ++n) {
        const int move = nthMove(n);
        const std::int64_t s = score(move);
        if (s > bestScore) {
            best = move;
            bestScore = s;
        }
    }
    return best;
}

int noteIndex(int pitch) {
    static constexpr std::array<int, 12> degree = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
    return (pitch / 12 - 4) * 7 + degree[static_cast<std::size_t>(pitchClass(pitch))];
}

// The lengths of the codes for `ms`, in their slots of kLengths, and whether the total differs.
struct Lengths {
    std::vector<std::size_t> slots;
    bool rounded = false;
};

Lengths lengthsFor(double ms) {
    Lengths out;
    if (ms <= kLongest) {
        std::size_t best = 0;
        for (std::size_t i = 1; i < kLengths.size(); ++i) {
            // Ascending, so on a tie the longer wins.
            if (std::abs(ms - kLengths[i]) <= std::abs(ms - kLengths[best]) + kTolerance) {
                best = i;
            }
        }
        out.slots.push_back(best);
        out.rounded = std::abs(ms - kLengths[best]) >= kChangedMs;
        return out;
    }
    // Every multiple of 100 ms is a sum of code lengths: the nearest one, halves upward.
    auto hundreds = static_cast<std::int64_t>(std::floor(ms / 100.0 + 0.5 + kTolerance));
    out.rounded = std::abs(ms - static_cast<double>(hundreds) * 100.0) >= kChangedMs;
    while (hundreds > 0) {
        std::size_t slot = kLengths.size() - 1;
        while (kLengths[slot] / 100 > hundreds) {
            --slot;
        }
        out.slots.push_back(slot);
        hundreds -= kLengths[slot] / 100;
    }
    return out;
}

} // namespace

std::variant<ConvertedTune, ImportError> convertTune(const Tune& tune) {
    // Fails before anything is sized from a huge length.
    const double longestTotal = static_cast<double>(kMaxImportedCodes) * kLongest;
    double totalMs = 0;
    std::vector<int> pitches;
    for (const TuneElement& e : tune.elements) {
        totalMs += e.ms;
        if (!e.isRest()) {
            pitches.push_back(e.pitch);
        }
    }
    if (tune.elements.size() > kMaxImportedCodes || totalMs > longestTotal) {
        return ImportError::TooLong;
    }

    ConvertedTune out;
    const int shift = bestMove(11, [&](int move) {
        std::int64_t n = 0;
        for (const int p : pitches) {
            n += isNatural(p + move) ? 1 : 0;
        }
        return n;
    });
    const int octaves = bestMove(11, [&](int move) {
        std::int64_t n = 0;
        for (const int p : pitches) {
            n += inRange(p + shift + 12 * move) ? 1 : 0;
        }
        return n;
    });
    const auto noteCount = static_cast<std::int64_t>(pitches.size());
    out.report.add(ChangeKind::Transposed, shift != 0 ? noteCount : 0, shift);
    out.report.add(ChangeKind::OctaveMoved, octaves != 0 ? noteCount : 0, octaves);

    for (const TuneElement& e : tune.elements) {
        const Lengths lengths = lengthsFor(e.ms);
        const auto added = static_cast<std::int64_t>(lengths.slots.size()) - 1;
        if (out.codes.size() + lengths.slots.size() > kMaxImportedCodes) {
            return ImportError::TooLong;
        }
        if (e.isRest()) {
            out.report.add(ChangeKind::RestLengthRounded, lengths.rounded ? 1 : 0);
            out.report.add(ChangeKind::RestSplit, added > 0 ? 1 : 0, added);
            for (const std::size_t slot : lengths.slots) {
                out.codes.push_back(kRestCode[slot]);
            }
            continue;
        }

        int pitch = e.pitch + shift + 12 * octaves;
        if (!isNatural(pitch)) {
            --pitch;
            out.report.add(ChangeKind::TookNaturalBelow, 1);
        }
        if (!inRange(pitch)) {
            while (pitch < kLowest) {
                pitch += 12;
            }
            while (pitch > kHighest) {
                pitch -= 12;
            }
            out.report.add(ChangeKind::MovedIntoRange, 1);
        }
        out.report.add(ChangeKind::NoteLengthRounded, lengths.rounded ? 1 : 0);
        out.report.add(ChangeKind::NoteSplit, added > 0 ? 1 : 0, added);
        const int index = noteIndex(pitch);
        for (const std::size_t slot : lengths.slots) {
            out.codes.push_back(static_cast<MusicCode>(index * 8 + kNoteDuration[slot]));
        }
    }
    return out;
}

} // namespace quillon
