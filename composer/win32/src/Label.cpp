#include "Label.h"

#include "Dpi.h"

namespace quillon::win32 {
namespace {

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

SIZE extentOf(HWND hwnd, HFONT font, std::u16string_view text) {
    const HDC dc = GetDC(hwnd);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SIZE size{0, metrics.tmHeight};
    if (!text.empty()) {
        SIZE drawn{};
        GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()),
                              static_cast<int>(text.size()), &drawn);
        size.cx = drawn.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return size;
}

} // namespace

Label::Label(HWND parent, const ControlDesign& design) : design_(design), caption_(design.caption) {
    attach(CreateWindowExW(0, L"STATIC", wide(caption_),
                           WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, parent,
                           nullptr, GetModuleHandleW(nullptr), nullptr));
}

void Label::setCaption(std::u16string_view caption) {
    caption_ = caption;
    SetWindowTextW(hwnd(), wide(caption_));
    fitCaption();
}

void Label::layout(int dpi, HFONT font) {
    dpi_ = dpi;
    font_ = font;
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    fitCaption();
}

void Label::fitCaption() {
    RECT place = pixelsOf(design_.rect, dpi_);
    if (design_.autoSize) {
        const SIZE size = extentOf(hwnd(), font_, caption_);
        place.right = place.left + size.cx;
        place.bottom = place.top + size.cy;
    }
    if (!EqualRect(&place, &placed_)) {
        moveTo(place);
        placed_ = place;
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
    if (neighbour_ != nullptr) {
        const int blank = extentOf(hwnd(), font_, u" ").cx;
        RECT there = neighbour_->placed_;
        OffsetRect(&there,
                   label5Left(pixelsOf(neighbour_->design_.rect, dpi_).left, place.right, blank) -
                       there.left,
                   0);
        if (!EqualRect(&there, &neighbour_->placed_)) {
            neighbour_->moveTo(there);
            neighbour_->placed_ = there;
        }
    }
}

std::optional<LRESULT> Label::onNotification(UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_CTLCOLORSTATIC) {
        return std::nullopt;
    }
    const auto dc = reinterpret_cast<HDC>(wParam);
    COLORREF fore = GetSysColor(COLOR_BTNTEXT);
    if (design_.foreColour != ColourRole::Default) {
        const Rgb rgb = rgbOf(design_.foreColour);
        fore = RGB(rgb.red, rgb.green, rgb.blue);
    }
    SetTextColor(dc, fore);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

} // namespace quillon::win32
