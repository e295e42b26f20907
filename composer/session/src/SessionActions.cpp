#include "quillon/SessionActions.h"

namespace quillon {
namespace {

constexpr KeyPress plain(Key key) {
    return {key, false, false, false};
}
constexpr KeyPress ctrl(Key key, bool shift = false) {
    return {key, true, shift, false};
}
constexpr KeyPress alt(Key key, bool shift = false) {
    return {key, false, shift, true};
}

using enum SessionAction;
using Keys = std::array<KeyPress, 2>;

// In the context menu's order; the actions only keys ask for at the end.
const ActionEntry kActions[] = {
    {Play, Keys{plain(Key::F5)}, KeyScope::Window, UserText::PlayMenu},
    {Stop, Keys{plain(Key::Escape)}, KeyScope::Window, UserText::StopMenu},
    {ToggleSoundOnClick, Keys{}, KeyScope::Window, UserText::SoundOnClickMenu},
    {Open, Keys{ctrl(Key::O)}, KeyScope::Window, UserText::OpenMenu},
    {Save, Keys{ctrl(Key::S)}, KeyScope::Window, UserText::SaveMenu},
    {SaveAs, Keys{ctrl(Key::S, true)}, KeyScope::Window, UserText::SaveAsMenu},
    {TransposeUp, Keys{alt(Key::Up)}, KeyScope::Text1, UserText::TransposeUpMenu},
    {TransposeDown, Keys{alt(Key::Down)}, KeyScope::Text1, UserText::TransposeDownMenu},
    {OctaveUp, Keys{alt(Key::Up, true)}, KeyScope::Text1, UserText::OctaveUpMenu},
    {OctaveDown, Keys{alt(Key::Down, true)}, KeyScope::Text1, UserText::OctaveDownMenu},
    {PlayOnBoard, Keys{plain(Key::F6)}, KeyScope::Window, UserText::PlayOnBoardMenu},
    {CopyArduinoSketch, Keys{}, KeyScope::Window, UserText::CopyArduinoSketchMenu},
    {OpenRecent, Keys{}, KeyScope::Window, UserText::RecentMenu},
    // Text1's own editing keys, which the session's history answers.
    {Undo, Keys{ctrl(Key::Z)}, KeyScope::Text1, std::nullopt},
    {Redo, Keys{ctrl(Key::Y), ctrl(Key::Z, true)}, KeyScope::Text1, std::nullopt},
    {SelectAll, Keys{ctrl(Key::A)}, KeyScope::Text1, std::nullopt},
};

bool same(const KeyPress& a, const KeyPress& b) {
    return a.key == b.key && a.ctrl == b.ctrl && a.shift == b.shift && a.alt == b.alt;
}

} // namespace

std::span<const ActionEntry> sessionActions() {
    return kActions;
}

std::optional<SessionAction> actionForKey(const KeyPress& key, bool inText1) {
    if (key.key == Key::Other) {
        return std::nullopt;
    }
    for (const ActionEntry& entry : kActions) {
        if (entry.scope == KeyScope::Text1 && !inText1) {
            continue;
        }
        for (const KeyPress& bound : entry.keys) {
            if (same(bound, key)) {
                return entry.action;
            }
        }
    }
    return std::nullopt;
}

} // namespace quillon
