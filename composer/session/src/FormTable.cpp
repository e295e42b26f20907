#include "quillon/FormTable.h"

#include <array>
#include <vector>

namespace quillon {
namespace {

// The note grid: three rows of seven buttons per group, each group headed by a line and a label
// 240 twips above its first row.
constexpr int kGridLeft = 5040;
constexpr int kGridTop = 480;
constexpr int kGroupPitch = 1680;
constexpr int kButtonPitch = 480;
constexpr int kButtonWidth = 255;
constexpr int kButtonHeight = 375;
constexpr int kRuleLeft = 4800;
constexpr int kRuleRight = 8280;
constexpr int kHeadingAboveGrid = 240;
constexpr int kBottomTop = 7200;

constexpr std::array<std::u16string_view, 4> kHeadings{u"超低音", u"低音", u"中音", u"高音"};
// Top to bottom; the fifth heads the bottom row.
constexpr std::array<const char*, 5> kLines{"Line5", "Line1", "Line2", "Line3", "Line4"};
// What a note button enters, by duration code 1 to 3.
constexpr std::array<std::u16string_view, 4> kDurationNames{u"", u"100ms", u"200ms", u"400ms"};

std::u16string digit(int value) {
    return std::u16string(1, static_cast<char16_t>(u'0' + value));
}

std::vector<ControlDesign> buildTable() {
    std::vector<ControlDesign> table;
    int tab = 0;

    ControlDesign text1;
    text1.name = "Text1";
    text1.kind = ControlKind::TextBox;
    text1.rect = {120, 360, 4575, 6495};
    text1.tabIndex = tab++;
    // Screen readers name the box after the label above it.
    text1.accessibleName = u"AVR代码";
    table.push_back(text1);

    for (int g = 1; g <= 4; ++g) {
        for (int r = 1; r <= 3; ++r) {
            for (int c = 1; c <= 7; ++c) {
                ControlDesign note;
                note.name = "Command" + std::to_string(g * 100 + r * 10 + c);
                note.kind = ControlKind::PictureButton;
                note.rect = {kGridLeft + kButtonPitch * (c - 1),
                             kGridTop + kGroupPitch * (g - 1) + kButtonPitch * (r - 1),
                             kButtonWidth, kButtonHeight};
                note.tabIndex = tab++;
                const MusicCode code = noteButtonCode(g, r, c);
                note.accessibleName =
                    std::u16string(kHeadings[static_cast<std::size_t>(g - 1)]) + u" " + digit(c) +
                    u", " +
                    std::u16string(kDurationNames[static_cast<std::size_t>(durationCode(code))]);
                note.command = {CommandKind::Note, code};
                table.push_back(note);
            }
        }
    }

    struct Bottom {
        const char* name;
        int left;
        int width;
        std::u16string_view caption;    // empty for a picture button
        std::u16string_view spokenName; // what a picture button enters
        CommandKind command;
    };
    constexpr std::array<Bottom, 6> bottom{{
        {"Command511", 5040, 255, u"", u"延长", CommandKind::Extend},
        {"Command512", 5400, 255, u"", u"休止符", CommandKind::Rest},
        {"Command514", 5760, 255, u"", u"换行", CommandKind::LineBreak},
        {"Command515", 6120, 615, u"End", u"", CommandKind::End},
        {"Command516", 6840, 615, u"Clear", u"", CommandKind::Clear},
        {"Command517", 7560, 615, u"About", u"", CommandKind::About},
    }};
    for (const Bottom& design : bottom) {
        ControlDesign button;
        button.name = design.name;
        button.rect = {design.left, kBottomTop, design.width, kButtonHeight};
        button.tabIndex = tab++;
        button.command = {design.command, 0};
        if (design.caption.empty()) {
            button.kind = ControlKind::PictureButton;
            button.accessibleName = design.spokenName;
        } else {
            button.kind = ControlKind::CaptionButton;
            button.caption = design.caption;
            button.backColour = ColourRole::Menu;
        }
        table.push_back(button);
    }

    // Rules first, so that a window drawing in table order puts each heading over its rule.
    for (std::size_t g = 0; g < kLines.size(); ++g) {
        ControlDesign line;
        line.name = kLines[g];
        line.kind = ControlKind::Line;
        line.rect = {kRuleLeft, kHeadingAboveGrid + kGroupPitch * static_cast<int>(g),
                     kRuleRight - kRuleLeft, 0};
        table.push_back(line);
    }

    struct LabelRow {
        const char* name;
        int index;
        std::u16string_view caption;
        TwipsRect rect;
        bool autoSize;
        ColourRole fore;
    };
    const std::array<LabelRow, 11> labels{{
        {"Label4", 0, u"超低音", {5040, 240, 540, 180}, true, ColourRole::Default},
        {"Label4", 1, u"低音", {5040, 1920, 360, 180}, true, ColourRole::Default},
        {"Label4", 2, u"中音", {5040, 3600, 360, 180}, true, ColourRole::Default},
        {"Label4", 3, u"高音", {5040, 5280, 360, 180}, true, ColourRole::Default},
        {"Label4", 4, u"其他", {5040, 6960, 360, 180}, true, ColourRole::Default},
        {"Label4", 5, u"AVR代码", {120, 120, 630, 180}, true, ColourRole::Default},
        {"Label1", -1, u"代码字节大小：", {120, kBottomTop, 1260, 180}, true, ColourRole::Default},
        {"Label3", -1, u"0", {1440, kBottomTop, 90, 180}, true, ColourRole::Grey},
        {"Label5", -1, u"bytes", {1920, kBottomTop, 450, 180}, true, ColourRole::Default},
        {"Label7", -1, u"Clock:", {3240, kBottomTop, 495, 255}, false, ColourRole::DarkBlue},
        {"Label6", -1, u"", {3840, kBottomTop, 90, 180}, true, ColourRole::DarkBlue},
    }};
    for (const LabelRow& row : labels) {
        ControlDesign label;
        label.name = row.name;
        label.index = row.index;
        label.kind = ControlKind::Label;
        label.rect = row.rect;
        label.caption = row.caption;
        label.autoSize = row.autoSize;
        label.foreColour = row.fore;
        table.push_back(label);
    }

    ControlDesign timer;
    timer.name = "Timer1";
    timer.kind = ControlKind::Timer;
    timer.interval = 1000;
    table.push_back(timer);
    return table;
}

constexpr std::array<std::u16string_view, 6> kCaptionFamilies{
    u"宋体",
    u"SimSun",
    u"NSimSun",
    u"WenQuanYi Micro Hei",
    u"Noto Sans CJK SC",
    u"Droid Sans Fallback",
};

} // namespace

Rgb rgbOf(ColourRole role) {
    switch (role) {
    case ColourRole::Grey:
        return {128, 128, 128};
    case ColourRole::DarkBlue:
        return {0, 0, 192};
    case ColourRole::Default:
    case ColourRole::Menu:
        break;
    }
    return {0, 0, 0};
}

FontDesign captionFont() {
    return {kCaptionFamilies, 9, 400};
}

std::span<const ControlDesign> formTable() {
    static const std::vector<ControlDesign> table = buildTable();
    return table;
}

const ControlDesign* findControl(std::string_view name, int index) {
    for (const ControlDesign& control : formTable()) {
        if (control.name == name && control.index == index) {
            return &control;
        }
    }
    return nullptr;
}

} // namespace quillon
