// The one table of actions: the keys the composer documents, each bound once, where it works,
// and the context menu in its order.
#include "quillon/SessionActions.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace quillon {
namespace {

using enum SessionAction;

TEST(SessionActions, EveryKeyAsksForOneActionWhereItWorks) {
    struct Case {
        KeyPress key;
        std::optional<SessionAction> anywhere;
        std::optional<SessionAction> inText1;
    };
    const Case cases[] = {
        {{Key::F5}, Play, Play},
        {{Key::F6}, PlayOnBoard, PlayOnBoard},
        {{Key::Escape}, Stop, Stop},
        {{Key::O, true}, Open, Open},
        {{Key::S, true}, Save, Save},
        {{Key::S, true, true}, SaveAs, SaveAs},
        {{Key::Z, true}, std::nullopt, Undo},
        {{Key::Y, true}, std::nullopt, Redo},
        {{Key::Z, true, true}, std::nullopt, Redo},
        {{Key::A, true}, std::nullopt, SelectAll},
        {{Key::Up, false, false, true}, std::nullopt, TransposeUp},
        {{Key::Down, false, false, true}, std::nullopt, TransposeDown},
        {{Key::Up, false, true, true}, std::nullopt, OctaveUp},
        {{Key::Down, false, true, true}, std::nullopt, OctaveDown},
        // Modifiers must match: none of these is bound.
        {{Key::F5, false, false, true}, std::nullopt, std::nullopt},
        {{Key::O, true, true}, std::nullopt, std::nullopt},
        {{Key::Y, true, true}, std::nullopt, std::nullopt},
        {{Key::Up, true, false, true}, std::nullopt, std::nullopt},
        {{Key::Up}, std::nullopt, std::nullopt},
        {{Key::Other, true}, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.key.key));
        EXPECT_EQ(actionForKey(c.key, false), c.anywhere);
        EXPECT_EQ(actionForKey(c.key, true), c.inText1);
    }
    // No key is bound twice.
    std::set<std::tuple<Key, bool, bool, bool>> seen;
    for (const ActionEntry& action : sessionActions()) {
        for (const KeyPress& key : action.keys) {
            if (key.key != Key::Other) {
                EXPECT_TRUE(seen.insert({key.key, key.ctrl, key.shift, key.alt}).second);
            }
        }
    }
}

TEST(SessionActions, TheContextMenuKeepsItsOrder) {
    const SessionAction expected[] = {Play,      Stop,       ToggleSoundOnClick, Open,
                                      Save,      SaveAs,     TransposeUp,        TransposeDown,
                                      OctaveUp,  OctaveDown, PlayOnBoard,        CopyArduinoSketch,
                                      OpenRecent};
    std::vector<SessionAction> menu;
    for (const ActionEntry& action : sessionActions()) {
        if (action.menuText) {
            menu.push_back(action.action);
        }
    }
    EXPECT_EQ(menu, std::vector<SessionAction>(std::begin(expected), std::end(expected)));
}

} // namespace
} // namespace quillon
