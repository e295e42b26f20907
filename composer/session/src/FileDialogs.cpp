#include "quillon/FileDialogs.h"

#include "quillon/UserTexts.h"

#include <algorithm>
#include <array>
#include <string>

namespace quillon {
namespace {

struct TuneExtension {
    std::u16string_view pattern;
    std::string_view extension;
    OpenedKind kind;
};

// The tune files Open brings in, in the order its type list shows them.
constexpr std::array<TuneExtension, 4> kTuneExtensions{{
    {u"*.rtttl", ".rtttl", OpenedKind::Rtttl},
    {u"*.txt", ".txt", OpenedKind::MaybeRtttl},
    {u"*.mid", ".mid", OpenedKind::Midi},
    {u"*.midi", ".midi", OpenedKind::Midi},
}};

std::u16string tunePatterns() {
    std::u16string patterns;
    for (const TuneExtension& tune : kTuneExtensions) {
        if (!patterns.empty()) {
            patterns += u' ';
        }
        patterns += tune.pattern;
    }
    return patterns;
}

} // namespace

OpenedKind openedKind(const std::filesystem::path& path, std::string_view bytes) {
    if (bytes.starts_with("MThd")) {
        return OpenedKind::Midi;
    }
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    for (const TuneExtension& tune : kTuneExtensions) {
        if (tune.extension == extension) {
            // RTTTL never has a brace.
            if (tune.kind == OpenedKind::MaybeRtttl && bytes.find('{') != std::string_view::npos) {
                return OpenedKind::Text;
            }
            return tune.kind;
        }
    }
    return OpenedKind::Text;
}

std::span<const FileFilter> melodyFileFilters() {
    static const std::array<FileFilter, 2> filters{{
        {userText(UserText::SourceFilesFilter), u"*.h *.c"},
        {userText(UserText::AllFilesFilter), u"*"},
    }};
    return filters;
}

std::span<const FileFilter> openFileFilters() {
    static const std::u16string tunes = tunePatterns();
    static const std::array<FileFilter, 3> filters{{
        {userText(UserText::SourceFilesFilter), u"*.h *.c"},
        {userText(UserText::TunesFilter), tunes},
        {userText(UserText::AllFilesFilter), u"*"},
    }};
    return filters;
}

} // namespace quillon
