#pragma once

#include "CommandButton.h"

namespace quillon::win32 {

// A button showing its picture face, packed into the program under the button's name and
// drawn centred at the monitor's scale, scaled by area from the original.
class PictureButton final : public CommandButton {
public:
    PictureButton(HWND parent, const ControlDesign& design, std::function<void()> onClick);
    ~PictureButton() override;

    void layout(int dpi, const Fonts& fonts) override;

protected:
    void drawContent(HDC dc, const RECT& whole, bool pushed) override;
    // The face fills the inside, so the focus shows on the border, in the highlight colour.
    void drawFocus(HDC dc, const RECT& whole) override;

private:
    HBITMAP original_ = nullptr;
    HBITMAP scaled_ = nullptr;
    SIZE size_{};
};

} // namespace quillon::win32
