#include "Control.h"

#include <commctrl.h>

namespace quillon::win32 {
namespace {

constexpr wchar_t kSelf[] = L"Quillon.Control";
constexpr UINT_PTR kSubclassId = 1;

} // namespace

Control::~Control() {
    if (hwnd_ != nullptr) {
        RemoveWindowSubclass(hwnd_, &Control::subclassProc, kSubclassId);
        RemovePropW(hwnd_, kSelf);
    }
}

Control* Control::of(HWND hwnd) {
    return hwnd != nullptr ? static_cast<Control*>(GetPropW(hwnd, kSelf)) : nullptr;
}

std::optional<LRESULT> Control::onNotification(UINT, WPARAM, LPARAM) {
    return std::nullopt;
}

void Control::moveTo(const RECT& rect) {
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::attach(HWND hwnd) {
    hwnd_ = hwnd;
    adopt(hwnd);
    SetWindowSubclass(hwnd, &Control::subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void Control::adopt(HWND helper) {
    SetPropW(helper, kSelf, this);
}

std::optional<LRESULT> Control::onMessage(UINT, WPARAM, LPARAM) {
    return std::nullopt;
}

LRESULT Control::passOn(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Control::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
    auto* control = reinterpret_cast<Control*>(self);
    if (message == WM_NCDESTROY) {
        // The window goes; the object may outlive it and must not reach it again.
        RemoveWindowSubclass(hwnd, &Control::subclassProc, kSubclassId);
        RemovePropW(hwnd, kSelf);
        control->hwnd_ = nullptr;
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (const std::optional<LRESULT> handled = control->onMessage(message, wParam, lParam)) {
        return *handled;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace quillon::win32
