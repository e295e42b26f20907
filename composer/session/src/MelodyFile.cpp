#include "quillon/MelodyFile.h"

#include "quillon/FileCalls.h"
#include "quillon/FormTable.h"
#include "quillon/SystemText.h"
#include "quillon/TextCodec.h"

namespace quillon {

OpenedMelody readMelodyFile(const std::filesystem::path& path) {
    std::string bytes;
    if (const std::error_code error = readFileUpTo(path, kLargestMelodyFile, bytes)) {
        return {{}, FileProblem{FileProblemKind::CannotRead, path, error}};
    }
    if (bytes.size() > kLargestMelodyFile) {
        return {{}, FileProblem{FileProblemKind::TooLarge, path, {}}};
    }
    std::optional<std::u16string> text = decodeTextFile(bytes);
    if (!text) {
        return {{}, FileProblem{FileProblemKind::NotText, path, {}}};
    }
    return {std::move(*text), std::nullopt};
}

std::optional<FileProblem> writeMelodyFile(const std::filesystem::path& path,
                                           std::u16string_view text) {
    return writeMelodyFileEncoded(path, encodeUtf8(text));
}

std::optional<FileProblem> writeMelodyFileEncoded(const std::filesystem::path& path,
                                                  std::string_view utf8) {
    if (const std::error_code error = replaceFile(path, utf8)) {
        return FileProblem{FileProblemKind::CannotWrite, path, error};
    }
    return std::nullopt;
}

std::u16string problemDetail(const FileProblem& problem) {
    std::u16string detail = displayPath(problem.path);
    if (problem.error) {
        if (!detail.empty()) {
            detail += u"\n";
        }
        detail += systemMessage(problem.error);
    }
    return detail;
}

std::u16string fileDisplayName(const std::filesystem::path& path) {
    return displayPath(path.filename());
}

std::u16string windowCaption(const std::optional<std::filesystem::path>& file, bool unsaved) {
    if (!file) {
        return std::u16string(kForm1.caption);
    }
    std::u16string caption = unsaved ? u"*" : u"";
    caption += fileDisplayName(*file);
    caption += u" - ";
    caption += kForm1.caption;
    return caption;
}

} // namespace quillon
