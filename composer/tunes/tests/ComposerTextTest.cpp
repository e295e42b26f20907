// The composer's text for imported codes, written out by hand from the composer's rules: the
// header line, every change counted from Clear, a line break appended at every 17th change, End
// writing "0x00};" and a line break, CR LF throughout.
#include "quillon/ComposerText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

const std::u16string kHeader = u"const unsigned char music_item[] = {\r\n";

std::u16string items(int count, const std::u16string& item) {
    std::u16string out;
    for (int i = 0; i < count; ++i) {
        out += item + u",";
    }
    return out;
}

TEST(ImportedComposerText, TheArrayAsTheComposerHoldsItAfterClearTheNotesAndEnd) {
    const struct {
        int notes;
        std::u16string text;
    } cases[] = {
        {0, kHeader + u"0x00};\r\n"},
        {1, kHeader + u"0x73,0x00};\r\n"},
        // End is the 17th change: the automatic break follows the terminator's own.
        {15, kHeader + items(15, u"0x73") + u"0x00};\r\n\r\n"},
        {16, kHeader + items(16, u"0x73") + u"\r\n0x00};\r\n"},
        {17, kHeader + items(16, u"0x73") + u"\r\n0x73,0x00};\r\n"},
        // Changes 19 to 33 are notes 17 to 31; End is change 34, the second multiple of 17.
        {31, kHeader + items(16, u"0x73") + u"\r\n" + items(15, u"0x73") + u"0x00};\r\n\r\n"},
        {40, kHeader + items(16, u"0x73") + u"\r\n" + items(16, u"0x73") + u"\r\n" +
                 items(8, u"0x73") + u"0x00};\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notes);
        const std::vector<MusicCode> codes(static_cast<std::size_t>(c.notes), 0x73);
        EXPECT_EQ(composerText(codes), c.text);
    }
}

// The counters go on from where the clicks would have left them: header, codes and End are one
// change each, every automatic break one more.
TEST(ImportedComposerText, TheCountersAreThoseOfTheClicks) {
    const struct {
        int notes;
        int changes;
        int breaks;
    } cases[] = {{0, 2, 0}, {15, 18, 1}, {16, 19, 1}, {40, 44, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notes);
        const std::vector<MusicCode> codes(static_cast<std::size_t>(c.notes), 0x73);
        const ComposerState state = composerState(codes);
        EXPECT_EQ(state.counter.ChangeCount, c.changes);
        EXPECT_EQ(state.counter.BreakCount, c.breaks);
        // The count shows the codes and End.
        EXPECT_EQ(state.counter.displayedCount(), c.notes + 1);
    }
}

TEST(ImportedComposerText, EveryCodeIsAnItemInLowercaseRestsIncluded) {
    const std::vector<MusicCode> codes = {0x03, 0xdb, 0xf9, 0xf8, 0xff, 0xab};
    EXPECT_EQ(composerText(codes), kHeader + u"0x03,0xdb,0xf9,0xf8,0xff,0xab,0x00};\r\n");
}

} // namespace
} // namespace quillon
