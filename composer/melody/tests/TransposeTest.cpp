// Moving notes up and down: every expected text below is worked out by hand from the note
// index (bits 7..3, C3 = 0 to B6 = 27) and the duration (bits 2..0), spelt as the item was.
#include "quillon/Transpose.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

const std::u16string kHeader = u"const unsigned char music_item[] = {\r\n";

std::u16string applied(std::u16string text, const Transposition& moved) {
    if (moved.change) {
        text.replace(moved.change->at, moved.change->removed, moved.change->inserted);
    }
    return text;
}

TEST(Transpose, MovesNotesKeepsDurationsSpellingAndEverythingElse) {
    const struct {
        const char* what;
        std::u16string before;
        int step;
        std::u16string after;
        std::size_t moved;
        std::size_t stayed;
    } cases[] = {
        {"a natural up; rest and terminator stay", kHeader + u"0x03,0x0b,0xf8,0x00};\r\n", 1,
         kHeader + u"0x0b,0x13,0xf8,0x00};\r\n", 2, 0},
        {"an octave down keeps each duration", kHeader + u"0x3b,0x72,0xa1,", -7,
         kHeader + u"0x03,0x3a,0x69,", 3, 0},
        {"B6 raised stays, C3 raised moves", kHeader + u"0x01,0xdb,", 1, kHeader + u"0x09,0xdb,", 1,
         1},
        {"an octave up from C6 stays, from B5 reaches B6", kHeader + u"0xab,0xa3,0xa9,", 7,
         kHeader + u"0xab,0xdb,0xa9,", 1, 2},
        {"upper-case digits stay upper, mixed and digit-only ones go lower",
         kHeader + u"0X13,0xAB,0xaB,0x3,0x003,0xAA,", 1,
         kHeader + u"0X1b,0xB3,0xb3,0xb,0x00b,0xB2,", 6, 0},
        {"the prefix keeps its case whatever the digits", kHeader + u"0X13,0XAB,", -1,
         kHeader + u"0X0b,0XA3,", 2, 0},
        {"octal, decimal and binary keep their base; decimal gains no leading zero",
         kHeader + u"013,59,3,0b00001011,", -7, kHeader + u"013,3,3,0b00001011,", 1, 3},
        {"octal, decimal and binary up", kHeader + u"013,3,0b00001011,", 1,
         kHeader + u"023,11,0b00010011,", 3, 0},
        {"suffixes and the blanks, line breaks and commas around items stay",
         kHeader + u"  0x0bu ,\r\n\t0x0BUL,", -1, kHeader + u"  0x03u ,\r\n\t0x03UL,", 2, 0},
        {"no note: char constants, sums, signs, indexes 28 to 31, 0, past a byte",
         kHeader + u"'a',0x0b + 0,-0x0b,+3,0xe3,0xf9,0xf8,0,0x100,256,", 1,
         kHeader + u"'a',0x0b + 0,-0x0b,+3,0xe3,0xf9,0xf8,0,0x100,256,", 0, 0},
        {"comments, typed words and the text around the array stay",
         u"/* 0x03 */ // 0x03\r\n" + kHeader + u"0x03,/* 0x03 */abc,0x03, // 0x03\r\n0x00};0x03", 1,
         u"/* 0x03 */ // 0x03\r\n" + kHeader + u"0x0b,/* 0x03 */abc,0x0b, // 0x03\r\n0x00};0x03", 2,
         0},
        {"a melody not ended yet runs to the end of the text", kHeader + u"0x0b,0x13", 1,
         kHeader + u"0x13,0x1b", 2, 0},
        {"items after the first 0 are still in the array", kHeader + u"0x00,0x0b};", 1,
         kHeader + u"0x00,0x13};", 1, 0},
        {"no array, nothing to move", u"0x03,0x0b,", 1, u"0x03,0x0b,", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Transposition moved = transpose(c.before, {}, c.step);
        EXPECT_EQ(applied(c.before, moved), c.after);
        EXPECT_EQ(moved.moved, c.moved);
        EXPECT_EQ(moved.stayed, c.stayed);
        EXPECT_EQ(moved.change.has_value(), c.moved > 0);
    }
}

TEST(Transpose, ASelectionMovesTheItemsWhollyInsideIt) {
    const std::u16string text = kHeader + u"0x03,0x0b,0x13,0xdb,";
    const std::size_t h = kHeader.size();
    const struct {
        const char* what;
        TextSpan selection;
        int step;
        std::u16string after;
        std::size_t stayed;
    } cases[] = {
        {"from the comma after the first item into the third",
         {h + 4, h + 13},
         1,
         kHeader + u"0x03,0x13,0x13,0xdb,",
         0},
        {"exactly one item", {h, h + 4}, 7, kHeader + u"0x3b,0x0b,0x13,0xdb,", 0},
        {"B6 in the selection stays and is counted",
         {h + 10, h + 20},
         1,
         kHeader + u"0x03,0x0b,0x1b,0xdb,",
         1},
        {"a caret alone stands for the whole melody",
         {h + 6, h + 6},
         -1,
         kHeader + u"0x03,0x03,0x0b,0xd3,",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Transposition moved = transpose(text, c.selection, c.step);
        EXPECT_EQ(applied(text, moved), c.after);
        EXPECT_EQ(moved.stayed, c.stayed);
    }

    // Inside the header or over part of an item only: nothing moves and nothing is written.
    for (const TextSpan nothing : {TextSpan{0, 20}, TextSpan{h + 1, h + 8}}) {
        const Transposition moved = transpose(text, nothing, 1);
        EXPECT_FALSE(moved.change);
        EXPECT_EQ(moved.moved, 0U);
        EXPECT_EQ(moved.stayed, 0U);
    }
}

TEST(Transpose, TheSelectionFollowsItemsThatGainDigits) {
    const std::size_t h = kHeader.size();
    const struct {
        const char* what;
        std::u16string before;
        TextSpan selection;
        int step;
        std::u16string after;
        TextSpan selectionAfter;
    } cases[] = {
        {"a caret behind two decimals that grow",
         kHeader + u"8,8,",
         {h + 4, h + 4},
         1,
         kHeader + u"16,16,",
         {h + 6, h + 6}},
        {"a selection over the second",
         kHeader + u"8,8,",
         {h + 2, h + 4},
         1,
         kHeader + u"8,16,",
         {h + 2, h + 5}},
        {"a caret inside an item goes to its end",
         kHeader + u"0x3,",
         {h + 2, h + 2},
         7,
         kHeader + u"0x3b,",
         {h + 4, h + 4}},
        {"a caret in front of the items stays",
         kHeader + u"0x3,",
         {h, h},
         7,
         kHeader + u"0x3b,",
         {h, h}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Transposition moved = transpose(c.before, c.selection, c.step);
        EXPECT_EQ(applied(c.before, moved), c.after);
        EXPECT_EQ(moved.selection, c.selectionAfter);
    }
}

TEST(Transpose, TheChangeCoversOnlyWhatDiffers) {
    // "0x03,0x0b" becomes "0x0b,0x13": the "0x0" in front is kept, the rest rewritten.
    const Transposition moved = transpose(kHeader + u"0x03,0x0b,0xf8,", {}, 1);
    ASSERT_TRUE(moved.change);
    EXPECT_EQ(*moved.change, (TextChange{kHeader.size() + 3, 6, u"b,0x13"}));
}

} // namespace
} // namespace quillon
