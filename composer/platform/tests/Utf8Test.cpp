// The UTF-8 codec that files and Linux's names go through, against bytes written out by hand.
#include "quillon/Utf8.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillon {
namespace {

TEST(Utf8, IsWrittenExactlyAndReadStrictly) {
    EXPECT_EQ(encodeUtf8(u"中音\r\n0x82,"), "\xe4\xb8\xad\xe9\x9f\xb3\r\n0x82,");
    EXPECT_EQ(encodeUtf8(u"\U0001F3B5"), "\xf0\x9f\x8e\xb5");
    // An unpaired surrogate, either half.
    EXPECT_EQ(encodeUtf8(std::u16string{u'a', char16_t(0xd800), u'b', char16_t(0xdc00)}),
              "a\xef\xbf\xbd"
              "b\xef\xbf\xbd");

    for (const char* malformed : {"\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe4\xb8"}) {
        EXPECT_EQ(decodeUtf8(malformed), std::nullopt) << malformed;
    }
    EXPECT_EQ(decodeUtf8Lenient("a\xe4\xb8"
                                "b"),
              u"a\ufffd\ufffdb");
}

} // namespace
} // namespace quillon
