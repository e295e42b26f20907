// The text mirror between the session's CR LF text and a control that counts a line break as one
// unit (Qt's document) or two (Windows' edit control). Expected offsets worked out by hand.
#include "quillon/TextMirror.h"
#include "FakeWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace quillon::test {
namespace {

// A mirror over a control of the given kind; every replace it is told is kept.
struct Mirrored {
    FakeTextControl control;
    FakeMarks marks;
    std::vector<std::pair<std::size_t, std::size_t>> replaced;
    TextMirror mirror;

    explicit Mirrored(LineBreak breaks, std::u16string_view text = u"")
        : control(withBreaks(breaks)), mirror(control, marks) {
        control.onEdit = [this](std::size_t from, std::size_t removed, std::u16string_view,
                                std::size_t) { replaced.emplace_back(from, from + removed); };
        mirror.write(0, 0, text);
        replaced.clear();
    }
    static FakeTextControl withBreaks(LineBreak breaks) {
        FakeTextControl made;
        made.breaks = breaks;
        return made;
    }
};

TEST(TextMirror, WritesGoIntoAQtDocumentAsOneUnitBreaksAndOnlyWhatChanged) {
    Mirrored m(LineBreak::OneUnit, u"head\r\n0x03,0x0e,");
    EXPECT_EQ(m.control.held(), u"head\n0x03,0x0e,");

    // "0e" at 13 in CR LF is at 12 in the document.
    const TextMirror::Edit edit = m.mirror.write(13, 2, u"0F");
    EXPECT_EQ(edit, (TextMirror::Edit{13, u"0e", u"0F"}));
    EXPECT_EQ(m.replaced, (std::vector<std::pair<std::size_t, std::size_t>>{{12, 14}}));
    EXPECT_EQ(m.mirror.text(), u"head\r\n0x03,0x0F,");

    // A write that starts inside a break keeps the break whole on each side of it.
    m.replaced.clear();
    EXPECT_EQ(m.mirror.write(5, 0, u"x"), (TextMirror::Edit{4, u"\r\n", u"\r\nx\r\n"}));
    EXPECT_EQ(m.replaced, (std::vector<std::pair<std::size_t, std::size_t>>{{4, 5}}));
    EXPECT_EQ(m.control.held(), u"head\nx\n0x03,0x0F,");
    // Any kind of line break written is one CR LF in the text and one unit in the document.
    m.mirror.write(m.mirror.text().size(), 0, u"\n0x01,\r0x02,\u2029");
    EXPECT_EQ(m.mirror.text(), u"head\r\nx\r\n0x03,0x0F,\r\n0x01,\r\n0x02,\r\n");
    EXPECT_EQ(m.control.held(), u"head\nx\n0x03,0x0F,\n0x01,\n0x02,\n");

    // The same text again writes nothing into the control.
    m.replaced.clear();
    EXPECT_EQ(m.mirror.write(0, 4, u"head"), (TextMirror::Edit{0, u"head", u"head"}));
    EXPECT_TRUE(m.replaced.empty());

    // A refusing control keeps its text, and so does the mirror.
    m.control.refuses = true;
    EXPECT_THROW(m.mirror.write(0, 4, u"tail"), std::bad_alloc);
    EXPECT_EQ(m.mirror.text().substr(0, 4), u"head");
}

TEST(TextMirror, TheUsersEditComesBackInTheTextsOffsetsAsSmallAsItIs) {
    Mirrored m(LineBreak::OneUnit, u"ab\r\ncd\r\nef");
    // The user edits the document, which reports where.
    const auto edited = [&](std::size_t from, std::size_t removed, std::u16string_view inserted) {
        m.control.type(from, inserted, removed);
        return m.mirror.controlEdited(from, removed, inserted, m.control.held().size());
    };
    // "X" typed before the "c": document offset 3, text offset 4.
    EXPECT_EQ(edited(3, 0, u"X"), (TextMirror::Edit{4, u"", u"X"}));
    EXPECT_EQ(m.mirror.text(), u"ab\r\nXcd\r\nef");
    // Qt names the whole block it laid out again: only what differs is the edit.
    EXPECT_EQ(edited(3, 3, u"XYcd"), (TextMirror::Edit{5, u"", u"Y"}));
    // A break typed (a paragraph separator in Qt's text) is CR LF; a break taken out is two.
    EXPECT_EQ(edited(1, 0, u"\u2029"), (TextMirror::Edit{1, u"", u"\r\n"}));
    EXPECT_EQ(m.mirror.text(), u"a\r\nb\r\nXYcd\r\nef");
    EXPECT_EQ(edited(3, 1, u""), (TextMirror::Edit{4, u"\r\n", u""}));
    EXPECT_EQ(m.mirror.text(), u"a\r\nbXYcd\r\nef");
    // Layout or composition naming the same text: no edit.
    EXPECT_EQ(edited(0, 4, u"a\u2029bX"), std::nullopt);

    // A report that does not fit the text (a length that disagrees) is read again whole.
    m.control.type(0, u"Z");
    EXPECT_EQ(m.mirror.controlEdited(0, 0, u"Z", 999), (TextMirror::Edit{0, u"", u"Z"}));
    EXPECT_EQ(m.mirror.text(), u"Za\r\nbXYcd\r\nef");
}

TEST(TextMirror, AWindowsControlThatCannotSayWhereIsComparedWhole) {
    Mirrored m(LineBreak::CrLf, u"ab\r\ncd\r\n");
    struct Case {
        std::u16string_view now;
        TextMirror::Edit edit;
        std::u16string_view text;
    };
    const Case cases[] = {
        // An append keeps everything.
        {u"ab\r\ncd\r\n0x03,", {8, u"", u"0x03,"}, u"ab\r\ncd\r\n0x03,"},
        // A change inside a line.
        {u"ab\r\ncX\r\n0x03,", {5, u"d", u"X"}, u"ab\r\ncX\r\n0x03,"},
        // A lone CR or LF pasted is a whole break.
        {u"ab\rX", {4, u"cX\r\n0x03,", u"X"}, u"ab\r\nX"},
        {u"ab\r\nX\n", {5, u"", u"\r\n"}, u"ab\r\nX\r\n"},
    };
    for (const Case& c : cases) {
        m.control.type(0, c.now, m.control.held().size());
        const auto edit = m.mirror.controlChanged();
        ASSERT_TRUE(edit.has_value());
        EXPECT_EQ(*edit, c.edit) << std::string(c.now.begin(), c.now.end());
        EXPECT_EQ(m.mirror.text(), c.text);
    }
    EXPECT_EQ(m.mirror.controlChanged(), std::nullopt) << "the same text again";
}

TEST(TextMirror, OffsetsAndMarksConvertBothWaysFromEitherEnd) {
    // Breaks at text offsets 1, 4, 7, ... : "a" then "\r\nb" over and over.
    std::u16string text = u"a";
    for (int i = 0; i < 20; ++i) {
        text += u"\r\nb";
    }
    Mirrored m(LineBreak::OneUnit, text);
    struct Case {
        std::size_t index;
        std::size_t offset;
    };
    // Every break is one unit shorter in the document: offset = index - breaks in front.
    const Case cases[] = {{0, 0}, {1, 1}, {3, 2}, {4, 3}, {31, 21}, {58, 39}, {61, 41}};
    for (const Case& c : cases) {
        EXPECT_EQ(m.mirror.controlOffset(c.index), c.offset) << c.index;
        EXPECT_EQ(m.mirror.textIndex(c.offset), c.index) << c.offset;
    }
    EXPECT_EQ(m.mirror.controlOffset(2), 1U) << "between CR and LF: before the break";
    EXPECT_EQ(m.mirror.textIndex(500), text.size()) << "past the end: the end";

    // Marks kept in text offsets come out in the document's, cut at the range asked for.
    m.mirror.setMarks(
        {{0, 1, MarkStyle::Hint}, {3, 7, MarkStyle::Error}, {58, 61, MarkStyle::Hint}});
    EXPECT_EQ(m.marks.repaints, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 41}}));
    EXPECT_EQ(m.mirror.marksWithin(2, 4), (std::vector<TextMark>{{2, 4, MarkStyle::Error}}));
    EXPECT_EQ(m.mirror.marksWithin(0, 100),
              (std::vector<TextMark>{
                  {0, 1, MarkStyle::Hint}, {2, 5, MarkStyle::Error}, {39, 41, MarkStyle::Hint}}));
    // The marks stay on their characters when the user types in front of them; one that
    // begins right there takes in what was typed.
    m.control.type(0, u"XY");
    m.mirror.controlEdited(0, 0, u"XY", m.control.held().size());
    EXPECT_EQ(m.mirror.marksWithin(0, 8),
              (std::vector<TextMark>{{0, 3, MarkStyle::Hint}, {4, 7, MarkStyle::Error}}));
    // A light follows the same conversion.
    m.mirror.setHeard(TextSpan{6, 9});
    EXPECT_EQ(m.marks.heard, (TextSpan{5, 7}));
}

} // namespace
} // namespace quillon::test
