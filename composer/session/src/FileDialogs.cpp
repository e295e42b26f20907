#include "quillon/FileDialogs.h"

#include "quillon/UserTexts.h"

#include <array>

namespace quillon {

std::span<const FileFilter> melodyFileFilters() {
    static const std::array<FileFilter, 2> filters{{
        {userText(UserText::SourceFilesFilter), u"*.h *.c"},
        {userText(UserText::AllFilesFilter), u"*"},
    }};
    return filters;
}

std::span<const FileFilter> openFileFilters() {
    static const std::array<FileFilter, 3> filters{{
        {userText(UserText::SourceFilesFilter), u"*.h *.c"},
        {userText(UserText::TunesFilter), u"*.rtttl *.txt *.mid *.midi"},
        {userText(UserText::AllFilesFilter), u"*"},
    }};
    return filters;
}

} // namespace quillon
