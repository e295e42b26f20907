#pragma once

#include "CommandButton.h"

namespace quillon::win32 {

// A button showing its caption ("End", "Clear", "About") in the caption font on the system's
// menu colour.
class CaptionButton final : public CommandButton {
public:
    using CommandButton::CommandButton;

    void layout(int dpi, const Fonts& fonts) override;

protected:
    void drawContent(HDC dc, const RECT& inside, bool pushed) override;

private:
    HFONT font_ = nullptr;
    int border_ = 2;
};

} // namespace quillon::win32
