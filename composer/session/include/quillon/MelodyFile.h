#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace quillon {

// Melodies in files: the user's own (Save, Save As, Open) and the kept ones alike.

// Larger files are refused: no melody comes near it, and Text1 would choke on it.
inline constexpr std::size_t kLargestMelodyFile = 16 * 1024 * 1024;

enum class FileProblemKind : std::uint8_t {
    CannotRead,
    TooLarge,
    NotText,
    CannotWrite,
};

struct FileProblem {
    FileProblemKind kind = FileProblemKind::CannotRead;
    std::filesystem::path path;
    // What the system said, for CannotRead and CannotWrite.
    std::error_code error;
};

struct OpenedMelody {
    // Line breaks CR LF, as Text1 holds them; empty on a problem.
    std::u16string text;
    std::optional<FileProblem> problem;
};

// Reads a text file as decodeTextFile takes it; a file over kLargestMelodyFile bytes or one that
// is not text is a problem, and so is one that cannot be read.
OpenedMelody readMelodyFile(const std::filesystem::path& path);

// Writes exactly `text` as UTF-8 without a byte order mark so that a crash at any moment leaves
// the old file or the new one whole. On a problem the file is as it was.
std::optional<FileProblem> writeMelodyFile(const std::filesystem::path& path,
                                           std::u16string_view text);
// The same for a text already encoded as UTF-8.
std::optional<FileProblem> writeMelodyFileEncoded(const std::filesystem::path& path,
                                                  std::string_view utf8);

// The path and what the system said, for the line below a problem's message.
std::u16string problemDetail(const FileProblem& problem);

// A file's name as the user reads it, whatever bytes a Linux name holds.
std::u16string fileDisplayName(const std::filesystem::path& path);

// The window's caption: "tune.h - Quillon" once the melody has a file, with a "*" in front
// while it has changes not saved; "Quillon" before it has one.
std::u16string windowCaption(const std::optional<std::filesystem::path>& file, bool unsaved);

} // namespace quillon
