#include "quillon/MusicCode.h"
#include "EditorHarness.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

// The note code table, one row per group and row of the note grid, degrees 1 to 7.
const char16_t* const kNoteItems[12][7] = {
    {u"0x03", u"0x0b", u"0x13", u"0x1b", u"0x23", u"0x2b", u"0x33"},
    {u"0x02", u"0x0a", u"0x12", u"0x1a", u"0x22", u"0x2a", u"0x32"},
    {u"0x01", u"0x09", u"0x11", u"0x19", u"0x21", u"0x29", u"0x31"},
    {u"0x3b", u"0x43", u"0x4b", u"0x53", u"0x5b", u"0x63", u"0x6b"},
    {u"0x3a", u"0x42", u"0x4a", u"0x52", u"0x5a", u"0x62", u"0x6a"},
    {u"0x39", u"0x41", u"0x49", u"0x51", u"0x59", u"0x61", u"0x69"},
    {u"0x73", u"0x7b", u"0x83", u"0x8b", u"0x93", u"0x9b", u"0xa3"},
    {u"0x72", u"0x7a", u"0x82", u"0x8a", u"0x92", u"0x9a", u"0xa2"},
    {u"0x71", u"0x79", u"0x81", u"0x89", u"0x91", u"0x99", u"0xa1"},
    {u"0xab", u"0xb3", u"0xbb", u"0xc3", u"0xcb", u"0xd3", u"0xdb"},
    {u"0xaa", u"0xb2", u"0xba", u"0xc2", u"0xca", u"0xd2", u"0xda"},
    {u"0xa9", u"0xb1", u"0xb9", u"0xc1", u"0xc9", u"0xd1", u"0xd9"},
};

TEST(NoteCodeTable, EveryButtonAppendsItsItemAndSeparator) {
    for (int group = 1; group <= 4; ++group) {
        for (int row = 1; row <= 3; ++row) {
            for (int degree = 1; degree <= 7; ++degree) {
                const std::u16string item = kNoteItems[(group - 1) * 3 + row - 1][degree - 1];
                const MusicCode code = noteButtonCode(group, row, degree);
                EXPECT_EQ(codeItem(code), item) << group << row << degree;
                EXPECT_EQ(durationCode(code), 4 - row);
                EXPECT_EQ(noteIndex(code) / 7 + 1, group);
                EXPECT_EQ(noteIndex(code) % 7 + 1, degree);

                EditorHarness h;
                h.editor.AppendCodeItem(codeItem(code));
                EXPECT_EQ(h.text1.text(), kHeaderLine + item + u",");
            }
        }
    }
}

TEST(NoteCodeTable, RestItem) {
    EXPECT_EQ(kRestItem, u"0xf8");
    EXPECT_EQ(codeItem(0xf8), u"0xf8");
    EXPECT_EQ(noteIndex(0xf8), 31);
    EXPECT_EQ(durationCode(0xf8), 0);
    EditorHarness h;
    h.editor.AppendCodeItem(kRestItem);
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0xf8,");
}

} // namespace
} // namespace quillon::test
