#include "WebDialogs.h"

#include "quillon/Utf8.h"

namespace quillon {

using emscripten::val;

namespace {

std::string utf8(std::u16string_view text) {
    return encodeUtf8(text);
}

// A file picker's accept list from the filters' patterns: "*.h *.c" gives ".h,.c". A filter
// for every file ends the list: the picker then offers all files anyway.
std::string acceptList(std::span<const FileFilter> filters) {
    std::string accept;
    for (const FileFilter& filter : filters) {
        std::string patterns = utf8(filter.patterns);
        std::size_t at = 0;
        while (at < patterns.size()) {
            const std::size_t space = patterns.find(' ', at);
            const std::string pattern =
                patterns.substr(at, space == std::string::npos ? std::string::npos : space - at);
            at = space == std::string::npos ? patterns.size() : space + 1;
            if (pattern == "*" || pattern == "*.*") {
                return accept;
            }
            if (pattern.starts_with("*.")) {
                accept += (accept.empty() ? "" : ",") + pattern.substr(1);
            }
        }
    }
    return accept;
}

} // namespace

void WebDialogs::askOpenPath(std::u16string_view title, std::span<const FileFilter> filters,
                             const std::filesystem::path&, PathAnswer answer) {
    if (dropped_) {
        const std::filesystem::path path = std::move(*dropped_);
        dropped_.reset();
        answer(path);
        return;
    }
    const int id = next_++;
    paths_[id] = std::move(answer);
    face_.call<void>("askOpen", id, utf8(title), acceptList(filters));
}

void WebDialogs::askSavePath(std::u16string_view title, std::span<const FileFilter> filters,
                             const std::filesystem::path& suggested, PathAnswer answer) {
    const int id = next_++;
    paths_[id] = std::move(answer);
    face_.call<void>("askSave", id, utf8(title), acceptList(filters),
                     suggested.filename().string());
}

void WebDialogs::askSaveChanges(const CloseQuestion& question, SaveChangesAnswer answer) {
    if (leaving_) {
        answer(CloseAnswer::DontSave);
        return;
    }
    const int id = next_++;
    closes_[id] = std::move(answer);
    face_.call<void>("askClose", id, utf8(question.question), utf8(question.save),
                     utf8(question.dontSave), utf8(question.cancel));
}

void WebDialogs::askTuneChoice(const TuneQuestion& question, TuneAnswer answer) {
    const int id = next_++;
    tunes_[id] = std::move(answer);
    val rows = val::array();
    for (const std::u16string& row : question.rows) {
        rows.call<void>("push", utf8(row));
    }
    face_.call<void>("askTune", id, utf8(question.title), utf8(question.prompt), rows,
                     static_cast<double>(question.defaultRow), utf8(question.take),
                     utf8(question.cancel));
}

void WebDialogs::showWarning(std::u16string_view text, std::u16string_view detail) {
    face_.call<void>("notice", std::string("warning"), utf8(text), utf8(detail));
}

void WebDialogs::showInformation(std::u16string_view text, std::u16string_view detail) {
    face_.call<void>("notice", std::string("information"), utf8(text), utf8(detail));
}

void WebDialogs::showAbout(std::u16string_view applicationText, std::u16string_view extraText) {
    face_.call<void>("about", utf8(applicationText), utf8(extraText));
}

bool WebDialogs::setClipboardText(std::u16string_view text) {
    return face_.call<bool>("copyText", utf8(text));
}

void WebDialogs::answerPath(int id, const std::string& path) {
    const auto found = paths_.find(id);
    if (found == paths_.end()) {
        return;
    }
    const PathAnswer answer = std::move(found->second);
    paths_.erase(found);
    answer(path.empty() ? std::nullopt : std::optional<std::filesystem::path>(path));
}

void WebDialogs::answerClose(int id, int answer) {
    const auto found = closes_.find(id);
    if (found == closes_.end()) {
        return;
    }
    const SaveChangesAnswer call = std::move(found->second);
    closes_.erase(found);
    call(answer == 0   ? CloseAnswer::Save
         : answer == 1 ? CloseAnswer::DontSave
                       : CloseAnswer::Cancel);
}

void WebDialogs::answerTune(int id, int row) {
    const auto found = tunes_.find(id);
    if (found == tunes_.end()) {
        return;
    }
    const TuneAnswer call = std::move(found->second);
    tunes_.erase(found);
    call(row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
}

} // namespace quillon
