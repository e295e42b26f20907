#include "Dpi.h"

namespace quillon::win32 {
namespace {

// Present from Windows 10 (1607) on; looked up so that the program still starts on older ones.
template <typename Proc> Proc user32Proc(const char* name) {
    static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const FARPROC found = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
    // Through void(*)(), the generic function pointer, to the real signature.
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(found));
}

using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
using AdjustForDpiProc = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using MetricForDpiProc = int(WINAPI*)(int, UINT);

} // namespace

int dpiOf(HWND hwnd) {
    static const auto forWindow = user32Proc<GetDpiForWindowProc>("GetDpiForWindow");
    if (forWindow != nullptr && hwnd != nullptr) {
        if (const UINT dpi = forWindow(hwnd); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

RECT pixelsOf(const TwipsRect& twips, int dpi) {
    const int left = twipsToPixels(twips.left, dpi);
    const int top = twipsToPixels(twips.top, dpi);
    return {left, top, left + twipsToPixels(twips.width, dpi),
            top + twipsToPixels(twips.height, dpi)};
}

SIZE outerSize(SIZE client, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjust = user32Proc<AdjustForDpiProc>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (adjust != nullptr) {
        adjust(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

int metricAt(int index, int dpi) {
    static const auto forDpi = user32Proc<MetricForDpiProc>("GetSystemMetricsForDpi");
    return forDpi != nullptr ? forDpi(index, static_cast<UINT>(dpi))
                             : MulDiv(GetSystemMetrics(index), dpi, kDesignDpi);
}

} // namespace quillon::win32
