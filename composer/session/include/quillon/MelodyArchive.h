#pragma once

#include "quillon/LocalTime.h"
#include "quillon/MelodyFile.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct KeptMelody {
    std::filesystem::path path;
    LocalTime began;
    // When it began and its first notes, as the menu of recent melodies shows it.
    std::u16string menuText;
};

// The folder of kept melodies: one file per melody, named by the time it began
// ("2025-03-14_09-26-53.h", then "-2", "-3"... for melodies that began in the same second).
// Files of other names are not melodies: the archive never lists or removes them.
class MelodyArchive {
public:
    static constexpr std::size_t kKept = 100;
    static constexpr std::size_t kRecentInMenu = 10;

    explicit MelodyArchive(std::filesystem::path folder);

    // $XDG_DATA_HOME/quillon/melodies (~/.local/share/quillon/melodies without it) on Linux,
    // %LOCALAPPDATA%\Quillon\melodies on Windows; none when the environment names no home.
    static std::optional<std::filesystem::path> userFolder();

    const std::filesystem::path& folder() const { return folder_; }

    // The file for a melody that began at `began`: a name no file in the folder has now.
    std::filesystem::path freePath(const LocalTime& began) const;

    // Writes the melody safely (writeKeptMelodyFile), making the folder first when there is none.
    std::optional<FileProblem> write(const std::filesystem::path& file,
                                     std::u16string_view text) const;
    // The same for a text already encoded as UTF-8.
    std::optional<FileProblem> writeEncoded(const std::filesystem::path& file,
                                            std::string_view utf8) const;

    void remove(const std::filesystem::path& file) const;

    // Up to `count` kept melodies, newest first by the time they began, leaving out `except`.
    std::vector<KeptMelody> newest(std::size_t count,
                                   const std::filesystem::path& except = {}) const;

    // Removes all but the newest `keep` melodies; `except` stays whatever its age.
    void prune(std::size_t keep, const std::filesystem::path& except = {}) const;

private:
    std::filesystem::path folder_;
};

// The first notes of a melody in numbered notation, as the note buttons show them: the degree,
// a dot below for the two low groups and above for 高音, 0 for a rest.
std::u16string firstNotes(std::u16string_view text);

// Only the array header, or nothing: no melody worth keeping.
bool isEmptyMelody(std::u16string_view text);

} // namespace quillon
