#include "quillon/ShareLink.h"
#include "FakeWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quillon {
namespace {

using test::SessionHarness;

// RFC 4648's own vectors in the URL and file name safe alphabet, unpadded, and the two
// characters where that alphabet differs from plain base64.
TEST(ShareLink, CarriesTheTextAsUnpaddedBase64url) {
    const struct {
        std::u16string_view text;
        std::string_view fragment;
    } cases[] = {
        {u"", "melody="},
        {u"f", "melody=Zg"},
        {u"fo", "melody=Zm8"},
        {u"foo", "melody=Zm9v"},
        {u"foob", "melody=Zm9vYg"},
        {u"fooba", "melody=Zm9vYmE"},
        {u"foobar", "melody=Zm9vYmFy"},
        {u"~~~", "melody=fn5-"},
        {u"???", "melody=Pz8_"},
        // U+4E2D is E4 B8 AD in UTF-8.
        {u"中", "melody=5Lit"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shareFragment(c.text), c.fragment);
        EXPECT_EQ(sharedMelody(c.fragment), std::u16string(c.text)) << c.fragment;
    }
}

TEST(ShareLink, AFragmentThatCarriesNoWholeMelodyOpensNothing) {
    for (const std::string_view broken : {
             "Zm9v",         // not ours
             "melody=Zm9v+", // plain base64's character
             "melody=Zm8=",  // padding
             "melody=Zm9vY", // a lone sixth of a byte
             "melody=Zh",    // bits past the last byte that are not zero
             "melody=_w",    // 0xFF: no UTF-8
             "melody=7aCA",  // ED A0 80: a surrogate in UTF-8
         }) {
        EXPECT_EQ(sharedMelody(broken), std::nullopt) << broken;
    }
}

TEST(ShareLink, ALinkCopiedFromOneSessionOpensTheSameTextInAnother) {
    SessionHarness sharing;
    sharing.text1.typeAtEnd(u"0x82,0x9b, // 中\r\n0x00};");
    const std::u16string sent = sharing.text1.text();
    sharing.session.copyShareLink(u"https://example.org/quillon/?x=1#melody=old");
    const std::u16string link = sharing.clipboard.text;
    ASSERT_TRUE(link.starts_with(u"https://example.org/quillon/?x=1#melody="));

    SessionHarness opening;
    opening.click("Command323");
    const std::string fragment(link.begin() + static_cast<std::ptrdiff_t>(link.find(u'#') + 1),
                               link.end());
    EXPECT_TRUE(opening.session.openShared(fragment));
    EXPECT_EQ(opening.text1.text(), sent);
    // A new melody without a file: no name in the caption, nothing to save it over.
    EXPECT_EQ(opening.form1.caption, u"Quillon");
    EXPECT_TRUE(opening.notice.warnings.empty());

    EXPECT_FALSE(opening.session.openShared("melody=Zh"));
    EXPECT_EQ(opening.text1.text(), sent);
    ASSERT_EQ(opening.notice.warnings.size(), 1u);
    EXPECT_EQ(opening.notice.warnings[0].text, u"这个链接里的旋律读不出来：链接不完整或已损坏。");
    EXPECT_FALSE(opening.session.openShared(""));

    sharing.clipboard.refuses = true;
    sharing.session.copyShareLink(u"https://example.org/");
    ASSERT_EQ(sharing.notice.warnings.size(), 1u);
}

} // namespace
} // namespace quillon
