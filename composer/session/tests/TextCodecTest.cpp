// Bytes of files as editors write them, written out by hand, against the text Text1 must get.
#include "quillon/TextCodec.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillon {
namespace {

TEST(TextCodec, FilesDecodeAsText1TakesThem) {
    const struct {
        const char* what;
        std::string bytes;
        std::optional<std::u16string> text;
    } cases[] = {
        {"LF", "{\n0x82,\n", u"{\r\n0x82,\r\n"},
        {"CR LF", "{\r\n0x82,\r\n", u"{\r\n0x82,\r\n"},
        {"lone CR", "{\r0x82,\r", u"{\r\n0x82,\r\n"},
        {"mixed ends, blank lines", "a\r\r\nb\n\nc\r", u"a\r\n\r\nb\r\n\r\nc\r\n"},
        {"line and paragraph separators",
         "a\xe2\x80\xa8"
         "b\xe2\x80\xa9",
         u"a\r\nb\r\n"},
        {"UTF-8", "\xe4\xb8\xad\xe9\x9f\xb3", u"中音"},
        {"UTF-8 with BOM", "\xef\xbb\xbf\xe4\xb8\xad\xe9\x9f\xb3\n", u"中音\r\n"},
        {"UTF-8 outside the BMP", "\xf0\x9f\x8e\xb5", u"\U0001F3B5"},
        {"GBK", "\xd6\xd0\xd2\xf4", u"中音"},
        {"GBK with LF and ASCII", "// \xd6\xd0\xd2\xf4\n0x82,", u"// 中音\r\n0x82,"},
        {"code page 936's euro sign", "\x80", u"€"},
        {"the euro sign between GBK characters", "\xd6\xd0\x80\xd2\xf4", u"中€音"},
        {"tab and form feed are text", "a\tb\fc", u"a\tb\fc"},
        {"empty", "", u""},
        {"a NUL", std::string("0x82,\0", 6), std::nullopt},
        {"a control character", "0x82,\x01", std::nullopt},
        {"UTF-16 (its NULs)", std::string("\xff\xfe\x63\x00", 4), std::nullopt},
        {"neither UTF-8 nor GBK", "\xff\xff", std::nullopt},
        {"GBK cut off in a character", "\xd6\xd0\xd2", std::nullopt},
        {"a BOM promises UTF-8", "\xef\xbb\xbf\xd6\xd0", std::nullopt},
        {"PNG header", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(decodeTextFile(c.bytes), c.text);
    }
}

} // namespace
} // namespace quillon
