// analyse-recording: splits a raw recording (s16le mono) into sounding and silent runs and
// measures each sounding run's length and frequency from its zero crossings. Independent of
// the composer's code, so that it can judge it.
//
//   analyse-recording FILE RATE [THRESHOLD [MIN_SILENCE_MS]]
//
// Prints one line per run, in order:
//   sound <start ms> <length ms> <frequency Hz>
//   silence <start ms> <length ms>
// A run of silence is at least MIN_SILENCE_MS (default 3) of samples below THRESHOLD (default
// 1000) in magnitude; shorter quiet stretches, such as a wave's own crossings, belong to the
// sound around them.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::int16_t> readRaw(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return samples;
}

// Frequency of samples [begin, end) from the times of its zero crossings, interpolated between
// samples; a crossing counts only once the signal has passed half the threshold on the other
// side, so noise near zero does not add crossings.
double frequency(const std::vector<std::int16_t>& s, std::size_t begin, std::size_t end,
                 double threshold, double rate) {
    int side = 0;
    double lastZero = 0;
    double first = -1;
    double last = -1;
    long crossings = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (i > begin && (s[i - 1] < 0) != (s[i] < 0)) {
            const double a = s[i - 1];
            const double b = s[i];
            lastZero = static_cast<double>(i - 1) + a / (a - b);
        }
        const int now = s[i] > threshold / 2 ? 1 : s[i] < -threshold / 2 ? -1 : side;
        if (side != 0 && now != side) {
            first = first < 0 ? lastZero : first;
            last = lastZero;
            ++crossings;
        }
        side = now;
    }
    if (crossings < 2 || last <= first) {
        return 0;
    }
    return static_cast<double>(crossings - 1) / (2 * (last - first)) * rate;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: analyse-recording FILE RATE [THRESHOLD [MIN_SILENCE_MS]]\n");
        return 2;
    }
    const double rate = std::atof(argv[2]);
    const double threshold = argc > 3 ? std::atof(argv[3]) : 1000;
    const double minSilenceMs = argc > 4 ? std::atof(argv[4]) : 3;
    const auto minSilence = static_cast<std::size_t>(minSilenceMs * rate / 1000);
    const std::vector<std::int16_t> s = readRaw(argv[1]);
    const auto ms = [rate](std::size_t frames) {
        return static_cast<double>(frames) * 1000 / rate;
    };

    // Loud samples, and the sound runs between quiet stretches of at least minSilence.
    std::size_t at = 0;
    std::size_t quietFrom = 0;
    while (at < s.size()) {
        std::size_t begin = at;
        while (begin < s.size() && std::abs(s[begin]) < threshold) {
            ++begin;
        }
        if (begin - quietFrom > 0) {
            std::printf("silence %.3f %.3f\n", ms(quietFrom), ms(begin - quietFrom));
        }
        if (begin == s.size()) {
            break;
        }
        std::size_t lastLoud = begin;
        std::size_t i = begin;
        while (i < s.size() && i - lastLoud <= minSilence) {
            if (std::abs(s[i]) >= threshold) {
                lastLoud = i;
            }
            ++i;
        }
        const std::size_t end = lastLoud + 1;
        std::printf("sound %.3f %.3f %.3f\n", ms(begin), ms(end - begin),
                    frequency(s, begin, end, threshold, rate));
        at = end;
        quietFrom = end;
    }
    return 0;
}
