#include "CaptionButton.h"

#include "Fonts.h"

namespace quillon::win32 {

void CaptionButton::layout(int dpi, const Fonts& fonts) {
    font_ = fonts.caption();
    border_ = MulDiv(2, dpi, 96);
    CommandButton::layout(dpi, fonts);
}

void CaptionButton::drawContent(HDC dc, const RECT& whole, bool pushed) {
    RECT inside = whole;
    InflateRect(&inside, -border_, -border_);
    FillRect(dc, &inside, GetSysColorBrush(COLOR_MENU));
    if (pushed) {
        OffsetRect(&inside, 1, 1);
    }
    const HGDIOBJ old = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const std::u16string& caption = design().caption;
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(caption.c_str()),
              static_cast<int>(caption.size()), &inside,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

} // namespace quillon::win32
