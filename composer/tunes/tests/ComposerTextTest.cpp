// The composer's text for imported codes, written out by hand from the composer's rules: the
// header line, every change counted from Clear, a line break appended at every 17th change, End
// writing "0x00};" and a line break, CR LF throughout.
#include "quillon/ComposerText.h"
#include "StringTextBox.h"
#include "quillon/Caption.h"
#include "quillon/MusicEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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

class NoCaption : public Caption {
public:
    void setCaption(std::u16string_view) override {}
};

// The composer's own click path, the model the text is written from: the editor over a text
// box that raises its change handler inside every write, as the window's does. Start-up, Clear,
// one click for each code, End. Its time grows with the square of the length.
ComposerState clicked(std::span<const MusicCode> codes) {
    StringTextBox text1;
    NoCaption label3;
    MusicEditor editor(text1, label3);
    text1.onChange = [&editor] { editor.Text1_Change(); };
    editor.ResetMusicText();
    editor.StartHistory();
    editor.Clear();
    for (const MusicCode code : codes) {
        editor.AppendCodeItem(codeItem(code));
    }
    editor.AppendTerminator();
    return {text1.text(), editor.counter()};
}

// Every length up to three lines, lengths about a break, and the longest tune, where the
// counters stop at 32767 and the breaks with them.
TEST(ImportedComposerText, WrittenDirectlyItIsWhatTheClicksWouldGive) {
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 50; ++n) {
        lengths.push_back(n);
    }
    for (const std::size_t n : {271u, 272u, 273u, 1000u, 4099u, 32767u}) {
        lengths.push_back(n);
    }
    std::mt19937 random(22);
    std::uniform_int_distribution<int> byte(1, 255);
    for (const std::size_t n : lengths) {
        SCOPED_TRACE(n);
        std::vector<MusicCode> codes(n);
        for (MusicCode& code : codes) {
            code = static_cast<MusicCode>(byte(random));
        }
        const ComposerState direct = composerState(codes);
        const ComposerState model = clicked(codes);
        // Where they part, not both texts of up to 200 KB.
        const auto parted = std::mismatch(direct.text.begin(), direct.text.end(),
                                          model.text.begin(), model.text.end());
        ASSERT_TRUE(direct.text == model.text)
            << "the texts part at " << (parted.first - direct.text.begin()) << " of "
            << direct.text.size() << " and " << model.text.size();
        EXPECT_EQ(direct.counter.ChangeCount, model.counter.ChangeCount);
        EXPECT_EQ(direct.counter.BreakCount, model.counter.BreakCount);
    }
}

} // namespace
} // namespace quillon
