#pragma once

#include "quillon/MusicCode.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillon {

// The composer's one window as data: every control with its designer name, kind, place in
// twips, face or caption, colours, font, tab order, the name a screen reader gives it and the
// command it runs. Both windows build themselves from this table and repeat no coordinate.

enum class ControlKind : std::uint8_t {
    TextBox,
    Label,
    // A straight line from (left, top) to (left + width, top + height).
    Line,
    // A command button showing the picture face named after the button.
    PictureButton,
    // A command button showing its caption in the caption font on the menu colour.
    CaptionButton,
    // Invisible; `interval` says how often it ticks.
    Timer,
};

// Colours by role, so that each window takes the system's own where the design does.
enum class ColourRole : std::uint8_t {
    // The control kind's default: window text on a label, the system's button face...
    Default,
    Grey,     // RGB (128, 128, 128): the count
    DarkBlue, // RGB (0, 0, 192): the clock
    Menu,     // the system's menu colour: the caption buttons' background
};

struct Rgb {
    std::uint8_t red, green, blue;
};
// The fixed colours; Default and Menu come from the system.
Rgb rgbOf(ColourRole role);

enum class CommandKind : std::uint8_t {
    None,
    // Appends the control's code item (`code`).
    Note,
    Extend,
    Rest,
    LineBreak,
    End,
    Clear,
    About,
};

struct Command {
    CommandKind kind = CommandKind::None;
    // The code a note button enters; 0 for every other command.
    MusicCode code = 0;
};

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ControlDesign {
    // The designer name: "Text1", "Label4", "Command323", "Line2", "Timer1".
    std::string name;
    // Index within a control array (the headings Label4(0) to Label4(5)); -1 for none.
    int index = -1;
    ControlKind kind = ControlKind::Label;
    TwipsRect rect;
    // A label's or caption button's caption; empty for the others.
    std::u16string caption;
    // A label that follows its caption's size.
    bool autoSize = false;
    ColourRole foreColour = ColourRole::Default;
    ColourRole backColour = ColourRole::Default;
    // Place in the tab order, from 0 (Text1, focused at start); -1 for controls that never
    // take the focus.
    int tabIndex = -1;
    // What a screen reader says for it; empty where the caption says it.
    std::u16string accessibleName;
    Command command;
    // Milliseconds between ticks, for a timer.
    int interval = 0;
};

// The window itself.
struct FormDesign {
    std::u16string_view caption;
    // The client area.
    int width;
    int height;
};
inline constexpr FormDesign kForm1{u"Quillon", 8325, 7635};

// The caption buttons' font: 宋体 9 pt, weight 400. The other families are what Linux and
// wine have in its place, in order of preference, so that Chinese never shows as boxes.
struct FontDesign {
    std::span<const std::u16string_view> families;
    int points;
    int weight;
};
FontDesign captionFont();

// Every control of Form1, in tab order first (Text1, the 84 notes by group, row and degree, the
// bottom row), then the controls that take no focus.
std::span<const ControlDesign> formTable();

// The control named `name` (and `index`, for a control array); null for none.
const ControlDesign* findControl(std::string_view name, int index = -1);

// At `dpi` dots per inch: 1440 twips make an inch.
constexpr int twipsToPixels(int twips, int dpi) {
    return twips * dpi / 1440;
}

// Where "bytes" (Label5) stands: at its designed place, or further right so that one blank
// stays between it and the count (Label3) when the count has grown wider than its room.
constexpr int label5Left(int designedLeft, int countRight, int blank) {
    return countRight + blank > designedLeft ? countRight + blank : designedLeft;
}

} // namespace quillon
