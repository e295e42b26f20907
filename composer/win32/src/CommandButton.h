#pragma once

#include "Control.h"
#include "quillon/FormTable.h"

#include <functional>

namespace quillon::win32 {

class Fonts;

// A command button of the form table, drawn by the composer (its face or caption, the pushed
// and the focused look) so that it looks as designed under every theme. It takes the focus
// when clicked; Space, Enter and Return press it when it has the focus.
class CommandButton : public Control {
public:
    CommandButton(HWND parent, const ControlDesign& design, std::function<void()> onClick);

    const ControlDesign& design() const { return design_; }

    // Moves it to its designed place at `dpi` and takes what it draws with at that scale.
    virtual void layout(int dpi, const Fonts& fonts);

    std::optional<LRESULT> onNotification(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Draws what the button shows inside its border; `pushed` while it is held down.
    virtual void drawContent(HDC dc, const RECT& inside, bool pushed) = 0;
    // The focused look; the default is the system's dotted focus rectangle.
    virtual void drawFocus(HDC dc, const RECT& whole);

private:
    void draw(const DRAWITEMSTRUCT& item);

    const ControlDesign& design_;
    std::function<void()> onClick_;
};

} // namespace quillon::win32
