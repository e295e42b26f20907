// The form table against the designed window: places in twips, captions, colours, commands and
// the tab order, written out here from the design's tables rather than from its formulas.
#include "quillon/FormTable.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

namespace quillon {
namespace {

bool operator==(const TwipsRect& a, const TwipsRect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

const ControlDesign& named(std::string_view name, int index = -1) {
    const ControlDesign* control = findControl(name, index);
    if (control == nullptr) {
        ADD_FAILURE() << "no control " << name;
        static const ControlDesign none;
        return none;
    }
    return *control;
}

TEST(FormTable, NoteGridStandsWhereDesignedAndEntersItsCode) {
    // Row tops by group and row, degree lefts, in twips.
    constexpr std::array<std::array<int, 3>, 4> rowTops{
        {{480, 960, 1440}, {2160, 2640, 3120}, {3840, 4320, 4800}, {5520, 6000, 6480}}};
    constexpr std::array<int, 7> degreeLefts{5040, 5520, 6000, 6480, 6960, 7440, 7920};
    // Row 1 of each group, degrees 1 to 7, from the note code table; rows 2 and 3 are one and
    // two less.
    constexpr std::array<std::array<int, 7>, 4> row1Codes{{
        {0x03, 0x0b, 0x13, 0x1b, 0x23, 0x2b, 0x33},
        {0x3b, 0x43, 0x4b, 0x53, 0x5b, 0x63, 0x6b},
        {0x73, 0x7b, 0x83, 0x8b, 0x93, 0x9b, 0xa3},
        {0xab, 0xb3, 0xbb, 0xc3, 0xcb, 0xd3, 0xdb},
    }};
    for (int g = 1; g <= 4; ++g) {
        for (int r = 1; r <= 3; ++r) {
            for (int c = 1; c <= 7; ++c) {
                const std::string name = "Command" + std::to_string(g * 100 + r * 10 + c);
                const ControlDesign& note = named(name);
                SCOPED_TRACE(name);
                const auto group = static_cast<std::size_t>(g - 1);
                const auto row = static_cast<std::size_t>(r - 1);
                const auto degree = static_cast<std::size_t>(c - 1);
                EXPECT_EQ(note.kind, ControlKind::PictureButton);
                EXPECT_TRUE(note.rect ==
                            (TwipsRect{degreeLefts[degree], rowTops[group][row], 255, 375}));
                EXPECT_EQ(note.command.kind, CommandKind::Note);
                EXPECT_EQ(note.command.code, row1Codes[group][degree] - (r - 1));
                EXPECT_TRUE(note.caption.empty());
            }
        }
    }
    EXPECT_EQ(named("Command323").accessibleName, u"中音 3, 200ms");
    EXPECT_EQ(named("Command111").accessibleName, u"超低音 1, 400ms");
    EXPECT_EQ(named("Command437").accessibleName, u"高音 7, 100ms");
}

TEST(FormTable, BottomRowTextAreaLabelsLinesAndTimer) {
    const struct {
        const char* name;
        int left;
        int width;
        std::u16string_view caption;
        CommandKind command;
    } bottom[] = {
        {"Command511", 5040, 255, u"", CommandKind::Extend},
        {"Command512", 5400, 255, u"", CommandKind::Rest},
        {"Command514", 5760, 255, u"", CommandKind::LineBreak},
        {"Command515", 6120, 615, u"End", CommandKind::End},
        {"Command516", 6840, 615, u"Clear", CommandKind::Clear},
        {"Command517", 7560, 615, u"About", CommandKind::About},
    };
    for (const auto& row : bottom) {
        const ControlDesign& button = named(row.name);
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(button.rect == (TwipsRect{row.left, 7200, row.width, 375}));
        EXPECT_EQ(button.caption, row.caption);
        EXPECT_EQ(button.command.kind, row.command);
        EXPECT_EQ(button.kind,
                  row.caption.empty() ? ControlKind::PictureButton : ControlKind::CaptionButton);
        EXPECT_EQ(button.backColour, row.caption.empty() ? ColourRole::Default : ColourRole::Menu);
    }
    EXPECT_EQ(named("Command511").accessibleName, u"延长");
    EXPECT_EQ(named("Command512").accessibleName, u"休止符");
    EXPECT_EQ(named("Command514").accessibleName, u"换行");

    const ControlDesign& text1 = named("Text1");
    EXPECT_EQ(text1.kind, ControlKind::TextBox);
    EXPECT_TRUE(text1.rect == (TwipsRect{120, 360, 4575, 6495}));
    EXPECT_EQ(text1.accessibleName, u"AVR代码");

    const struct {
        const char* name;
        int index;
        std::u16string_view caption;
        TwipsRect rect;
        bool autoSize;
        ColourRole fore;
    } labels[] = {
        {"Label4", 0, u"超低音", {5040, 240, 540, 180}, true, ColourRole::Default},
        {"Label4", 1, u"低音", {5040, 1920, 360, 180}, true, ColourRole::Default},
        {"Label4", 2, u"中音", {5040, 3600, 360, 180}, true, ColourRole::Default},
        {"Label4", 3, u"高音", {5040, 5280, 360, 180}, true, ColourRole::Default},
        {"Label4", 4, u"其他", {5040, 6960, 360, 180}, true, ColourRole::Default},
        {"Label4", 5, u"AVR代码", {120, 120, 630, 180}, true, ColourRole::Default},
        {"Label1", -1, u"代码字节大小：", {120, 7200, 1260, 180}, true, ColourRole::Default},
        {"Label3", -1, u"0", {1440, 7200, 90, 180}, true, ColourRole::Grey},
        {"Label5", -1, u"bytes", {1920, 7200, 450, 180}, true, ColourRole::Default},
        {"Label7", -1, u"Clock:", {3240, 7200, 495, 255}, false, ColourRole::DarkBlue},
        {"Label6", -1, u"", {3840, 7200, 90, 180}, true, ColourRole::DarkBlue},
    };
    for (const auto& row : labels) {
        const ControlDesign& label = named(row.name, row.index);
        SCOPED_TRACE(std::string(row.name) + "(" + std::to_string(row.index) + ")");
        EXPECT_EQ(label.kind, ControlKind::Label);
        EXPECT_EQ(label.caption, row.caption);
        EXPECT_TRUE(label.rect == row.rect);
        EXPECT_EQ(label.autoSize, row.autoSize);
        EXPECT_EQ(label.foreColour, row.fore);
        EXPECT_EQ(label.tabIndex, -1);
    }
    EXPECT_EQ(rgbOf(ColourRole::Grey).red, 128);
    EXPECT_EQ(rgbOf(ColourRole::DarkBlue).blue, 192);
    EXPECT_EQ(rgbOf(ColourRole::DarkBlue).red, 0);

    const std::pair<const char*, int> lines[] = {
        {"Line5", 240}, {"Line1", 1920}, {"Line2", 3600}, {"Line3", 5280}, {"Line4", 6960}};
    for (const auto& [name, top] : lines) {
        EXPECT_TRUE(named(name).rect == (TwipsRect{4800, top, 3480, 0})) << name;
    }
    EXPECT_EQ(named("Timer1").interval, 1000);
    // Text1, 90 buttons, 11 labels, 5 lines and the timer.
    EXPECT_EQ(formTable().size(), 108U);
}

TEST(FormTable, TabOrderStartsAtTheTextAndTakesEveryButtonOnce) {
    std::set<int> order;
    std::set<std::string> names;
    for (const ControlDesign& control : formTable()) {
        const bool focusable = control.kind == ControlKind::TextBox ||
                               control.kind == ControlKind::PictureButton ||
                               control.kind == ControlKind::CaptionButton;
        EXPECT_EQ(control.tabIndex >= 0, focusable) << control.name;
        if (focusable) {
            order.insert(control.tabIndex);
            EXPECT_TRUE(names.insert(control.name).second) << control.name << " twice";
        }
    }
    EXPECT_EQ(named("Text1").tabIndex, 0);
    ASSERT_EQ(order.size(), 91U);
    EXPECT_EQ(*order.rbegin(), 90);
}

TEST(FormTable, PixelsAtAnyScaleAndBytesKeepsClearOfTheCount) {
    EXPECT_EQ(twipsToPixels(kForm1.width, 96), 555);
    EXPECT_EQ(twipsToPixels(kForm1.height, 96), 509);
    EXPECT_EQ(twipsToPixels(5040, 96), 336);
    EXPECT_EQ(twipsToPixels(5040, 144), 504);
    EXPECT_EQ(kForm1.caption, u"Quillon");
    // "bytes" at 128 px; the count from 96 px, a blank 3 px wide.
    EXPECT_EQ(label5Left(128, 96 + 20, 3), 128);
    EXPECT_EQ(label5Left(128, 96 + 29, 3), 128);
    EXPECT_EQ(label5Left(128, 96 + 30, 3), 129);
    EXPECT_EQ(label5Left(128, 96 + 60, 3), 159);
    EXPECT_EQ(captionFont().points, 9);
    EXPECT_EQ(captionFont().weight, 400);
    EXPECT_EQ(captionFont().families.front(), u"宋体");
}

} // namespace
} // namespace quillon
