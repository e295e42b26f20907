#include "CommandButton.h"

#include "Dpi.h"

#include <string>

namespace quillon::win32 {

CommandButton::CommandButton(HWND parent, const ControlDesign& design,
                             std::function<void()> onClick)
    : design_(design), onClick_(std::move(onClick)) {
    // The window text is what a screen reader says: the caption, or what a face enters.
    const std::u16string& name = design.caption.empty() ? design.accessibleName : design.caption;
    attach(CreateWindowExW(0, L"BUTTON", reinterpret_cast<const wchar_t*>(name.c_str()),
                           WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr));
}

void CommandButton::layout(int dpi, const Fonts&) {
    moveTo(pixelsOf(design_.rect, dpi));
    InvalidateRect(hwnd(), nullptr, FALSE);
}

std::optional<LRESULT> CommandButton::onNotification(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        onClick_();
        return 0;
    }
    if (message == WM_DRAWITEM) {
        draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return std::nullopt;
}

std::optional<LRESULT> CommandButton::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button reports the second of two quick clicks as a double click and
        // not as a click; every click is a press here.
        return passOn(WM_LBUTTONDOWN, wParam, lParam);
    case WM_MOUSEMOVE:
        // Only the press follows the mouse, in or out of the button. The button's own handling
        // also tracks the mouse for a hover look that an owner-drawn button never shows, which
        // under wine polls the mouse a hundred times a second while it rests on the button.
        if ((wParam & MK_LBUTTON) != 0 && GetCapture() == hwnd()) {
            RECT inside{};
            GetClientRect(hwnd(), &inside);
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            SendMessageW(hwnd(), BM_SETSTATE, PtInRect(&inside, at), 0);
        }
        return 0;
    case WM_KEYDOWN: {
        // Bit 30: the key was already down, an auto-repeat.
        const bool repeat = (lParam & (1L << 30)) != 0;
        if (wParam == VK_RETURN && !repeat) {
            onClick_();
            return 0;
        }
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

void CommandButton::drawFocus(HDC dc, const RECT& whole) {
    RECT focus = whole;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
}

void CommandButton::draw(const DRAWITEMSTRUCT& item) {
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    RECT whole = item.rcItem;
    DrawFrameControl(item.hDC, &whole, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    drawContent(item.hDC, item.rcItem, pushed);
    if ((item.itemState & ODS_FOCUS) != 0) {
        drawFocus(item.hDC, item.rcItem);
    }
}

} // namespace quillon::win32
