#include "EditorHarness.h"
#include "quillon/MusicCode.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quillon::test {
namespace {

std::u16string shown(int count) {
    const std::string digits = std::to_string(count);
    return u" " + std::u16string(digits.begin(), digits.end());
}

std::vector<std::size_t> lineLengths(const std::u16string& text) {
    std::vector<std::size_t> lengths;
    std::size_t start = 0;
    for (std::size_t crlf; (crlf = text.find(u"\r\n", start)) != std::u16string::npos;
         start = crlf + 2) {
        lengths.push_back(crlf - start);
    }
    lengths.push_back(text.size() - start);
    return lengths;
}

TEST(CodeCounter, WorkedExampleOfFortyClicks) {
    FakeTextBox text1;
    FakeCaption label3;
    MusicEditor editor(text1, label3);
    text1.onChange = [&] { editor.Text1_Change(); };
    struct AtBreak {
        int changes, breaks;
        std::u16string caption;
        bool operator==(const AtBreak&) const = default;
    };
    std::vector<AtBreak> atBreaks;
    text1.onWrite = [&](std::u16string_view, std::u16string_view, int depth) {
        if (depth > 0) {
            const auto& c = editor.counter();
            atBreaks.push_back({c.ChangeCount, c.BreakCount, label3.caption});
        }
    };
    EXPECT_EQ(editor.counter().ChangeCount, 0);
    EXPECT_EQ(label3.caption, u"0");

    editor.ResetMusicText();
    EXPECT_EQ(editor.counter().ChangeCount, 1);
    EXPECT_EQ(label3.caption, u" 0");

    std::u16string expected = kHeaderLine;
    for (int n = 1; n <= 40; ++n) {
        const std::u16string item = codeItem(noteButtonCode(n % 4 + 1, n % 3 + 1, n % 7 + 1));
        editor.AppendCodeItem(item);
        expected += item + u",";
        if (n % 16 == 0) {
            expected += u"\r\n";
        }
        EXPECT_EQ(label3.caption, shown(n));
        EXPECT_EQ(editor.counter().ChangeCount, n < 16 ? n + 1 : n < 32 ? n + 2 : n + 3);
        EXPECT_EQ(editor.counter().BreakCount, n / 16);
        EXPECT_EQ(text1.text(), expected);
    }
    EXPECT_EQ(editor.counter().ChangeCount, 43);
    EXPECT_EQ(atBreaks, (std::vector<AtBreak>{{17, 1, shown(16)}, {34, 2, shown(32)}}));
    EXPECT_EQ(lineLengths(text1.text()), (std::vector<std::size_t>{36, 80, 80, 40}));
    EXPECT_EQ(text1.maxDepth, 2); // a handler run and the one nested in it
}

TEST(CodeCounter, EveryCommandRaisesOneChangeEvent) {
    const std::vector<std::function<void(MusicEditor&)>> commands = {
        [](MusicEditor& e) { e.ResetMusicText(); },
        [](MusicEditor& e) { e.AppendCodeItem(u"0x03"); },
        [](MusicEditor& e) { e.ExtendLastCode(); },
        [](MusicEditor& e) { e.AppendLineBreak(); },
        [](MusicEditor& e) { e.AppendTerminator(); },
        [](MusicEditor& e) { e.Clear(); },
    };
    for (const auto& command : commands) {
        EditorHarness h;
        h.editor.AppendCodeItem(u"0x03");
        command(h.editor);
        EXPECT_EQ(h.text1.changeEvents, 3);
        EXPECT_EQ(h.text1.maxDepth, 1);
    }
}

TEST(CodeCounter, EndAsTheSeventeenthChangeGetsABreakOfItsOwn) {
    EditorHarness h;
    for (int i = 0; i < 15; ++i) {
        h.editor.AppendCodeItem(u"0x03");
    }
    EXPECT_EQ(h.label3.caption, u" 15");
    EXPECT_EQ(h.text1.text().find(u"\r\n", kHeaderLine.size()), std::u16string::npos);
    h.editor.AppendTerminator();
    EXPECT_EQ(h.text1.changeEvents, 18);
    EXPECT_EQ(h.text1.maxDepth, 2);
    EXPECT_EQ(h.text1.text().substr(h.text1.text().size() - 10), u"0x00};\r\n\r\n");
    EXPECT_EQ(h.label3.caption, u" 16");
}

TEST(CodeCounter, OtherChangesCountAndMoveTheBreak) {
    EditorHarness h;
    for (int i = 0; i < 10; ++i) {
        h.editor.AppendCodeItem(u"0x03");
    }
    h.editor.AppendLineBreak();
    for (int i = 0; i < 5; ++i) {
        h.editor.AppendCodeItem(u"0x0b");
    }
    EXPECT_EQ(lineLengths(h.text1.text()), (std::vector<std::size_t>{36, 50, 25, 0}));
    EXPECT_EQ(h.label3.caption, u" 16");

    EditorHarness e;
    for (int i = 0; i < 3; ++i) {
        e.editor.AppendCodeItem(u"0x03");
    }
    e.editor.ExtendLastCode();
    EXPECT_EQ(e.label3.caption, u" 4");
    e.editor.AppendTerminator();
    EXPECT_EQ(e.label3.caption, u" 5");
}

TEST(CodeCounter, TypedEditsCountAndTheBreakGoesToTheEnd) {
    EditorHarness h;
    for (int i = 0; i < 14; ++i) {
        h.editor.AppendCodeItem(u"0x03");
    }
    h.text1.type(5, u"x");
    EXPECT_EQ(h.label3.caption, u" 15");
    const std::u16string before = h.text1.text();
    h.text1.type(0, u"y");
    EXPECT_EQ(h.text1.text(), u"y" + before + u"\r\n");
    EXPECT_EQ(h.label3.caption, u" 16");
}

TEST(CodeCounter, TheBreakWaitsUntilTheTypedLiteralIsWhole) {
    EditorHarness h;
    h.editor.Clear();
    // The 16th character typed is the 17th change, when the break falls due: it is the "0" of
    // "0x00", and the break waits for the first change that ends outside a literal.
    const std::u16string typed = u"0x53,0x63,0x1f,0x00};";
    for (const char16_t ch : typed) {
        h.text1.type(h.text1.text().size(), std::u16string(1, ch));
    }
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x53,0x63,0x1f,0x00}\r\n;");
    EXPECT_EQ(h.label3.caption, u" 21");

    // The rhythm goes on as before: the next break after the 32nd change entered.
    std::u16string ten;
    for (int i = 0; i < 10; ++i) {
        h.editor.AppendCodeItem(u"0x03");
        ten += u"0x03,";
    }
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x53,0x63,0x1f,0x00}\r\n;" + ten);
    h.editor.AppendCodeItem(u"0x03");
    EXPECT_EQ(h.text1.text(), kHeaderLine + u"0x53,0x63,0x1f,0x00}\r\n;" + ten + u"0x03,\r\n");
    EXPECT_EQ(h.label3.caption, u" 32");

    // Clear forgets a waiting break.
    for (int i = 0; i < 15; ++i) {
        h.editor.AppendCodeItem(u"0x03");
    }
    h.text1.type(h.text1.text().size(), u"7");
    h.editor.Clear();
    h.text1.type(h.text1.text().size(), u",");
    EXPECT_EQ(h.text1.text(), kHeaderLine + u",");
}

// A one-character edit that always changes the text and leaves its length alone.
void toggleFirst(FakeTextBox& box) {
    box.type(0, box.text()[0] == u'c' ? u"C" : u"c", 1);
}

TEST(CodeCounter, StopsAt32767) {
    EditorHarness h;
    while (h.changes() < 32767) {
        toggleFirst(h.text1);
    }
    EXPECT_EQ(h.breaks(), 1927);
    const std::u16string text = h.text1.text();
    for (int i = 0; i < 100; ++i) {
        toggleFirst(h.text1);
    }
    EXPECT_EQ(h.changes(), 32767);
    EXPECT_EQ(h.breaks(), 1927);
    EXPECT_EQ(h.label3.caption, u" 30839");
    EXPECT_EQ(h.text1.text(), text);
    EXPECT_EQ(lineLengths(text).size(), 1929u);
}

} // namespace
} // namespace quillon::test
