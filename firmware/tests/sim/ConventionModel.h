#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::sim {

// One note that should sound, in milliseconds from the start of the melody.
struct ExpectedSound {
    std::uint8_t code = 0;
    double startMs = 0;
    double lengthMs = 0;
    double hz = 0;
};

// What a melody must sound like, worked out from the rules alone: pitch 1,000,000 / (2 N) Hz
// with N = 500000 / f truncated, f from the note frequency table; lengths 400, 100, 200, 400,
// 800, 1200, 1600, 2000 ms by duration code; a note sounds for its length less 20 ms; note
// indexes 28 to 31 are silent; code 0 ends the melody.
class ConventionModel {
public:
    explicit ConventionModel(std::vector<std::uint8_t> codes);

    // The array of that name in a C source file, up to and including its 0x00. Throws
    // std::runtime_error when there is none.
    static std::vector<std::uint8_t> readMelody(const std::string& sourcePath,
                                                const std::string& name = "music_item");

    const std::vector<ExpectedSound>& sounds() const { return sounds_; }
    // From the start of the first element to the end of the last one.
    double totalMs() const { return totalMs_; }
    // The silent elements (rests and note indexes 28 to 30) and where they start.
    const std::vector<std::pair<std::uint8_t, double>>& silentCodes() const { return silent_; }

private:
    std::vector<ExpectedSound> sounds_;
    std::vector<std::pair<std::uint8_t, double>> silent_;
    double totalMs_ = 0;
};

} // namespace quillon::sim
