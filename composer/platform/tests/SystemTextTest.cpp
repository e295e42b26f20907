// Names as the user reads them, on each system from its own kind of name.
#include "quillon/SystemText.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quillon {
namespace {

TEST(SystemText, DisplayPathShowsWhatTheNameHolds) {
#ifdef _WIN32
    // Windows' names are UTF-16 already, an unpaired surrogate included.
    const std::wstring name{L'\u4e2d', L'\u97f3', 0xd800, L'.', L'h'};
    EXPECT_EQ(displayPath(std::filesystem::path(name)),
              (std::u16string{u'中', u'音', 0xd800, u'.', u'h'}));
#else
    // Linux's are bytes: UTF-8 as it is, anything else as U+FFFD.
    EXPECT_EQ(displayPath("\xe4\xb8\xad\xe9\x9f\xb3.h"), u"中音.h");
    EXPECT_EQ(displayPath("a\xff.h"), u"a\ufffd.h");
#endif
}

} // namespace
} // namespace quillon
