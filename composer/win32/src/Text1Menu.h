#pragma once

#include <windows.h>

namespace quillon {
class ComposerSession;
}

namespace quillon::win32 {

class Text1Box;

// Text1's context menu: the editing entries (undo and redo the session's), then the session's
// own entries (open, save, the recent melodies, play, stop, sound on click).
class Text1Menu {
public:
    Text1Menu(HWND owner, Text1Box& text1, ComposerSession& session)
        : owner_(owner), text1_(text1), session_(session) {}

    void showAt(POINT screen);

private:
    HWND owner_;
    Text1Box& text1_;
    ComposerSession& session_;
};

} // namespace quillon::win32
