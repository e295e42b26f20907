#include "Control.h"

#include <unordered_map>

namespace quillon::win32 {
namespace {

// The objects behind the windows, for the notifications the form hands back. A map of our own
// rather than window properties: under wine every property lookup is a call to the wine server,
// and a window sees hundreds of messages a second while the mouse rests on it.
std::unordered_map<HWND, Control*>& objects() {
    static std::unordered_map<HWND, Control*> map;
    return map;
}

} // namespace

Control::~Control() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
    std::erase_if(objects(), [this](const auto& entry) { return entry.second == this; });
}

Control* Control::of(HWND hwnd) {
    if (hwnd == nullptr) {
        return nullptr;
    }
    const auto found = objects().find(hwnd);
    return found != objects().end() ? found->second : nullptr;
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
    // The application's own slot of every window: controls keep theirs in extra bytes.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::windowProc)));
}

void Control::adopt(HWND helper) {
    objects()[helper] = this;
}

std::optional<LRESULT> Control::onMessage(UINT, WPARAM, LPARAM) {
    return std::nullopt;
}

LRESULT Control::passOn(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(previous_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Control::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        // The window goes; the object may outlive it and must not reach it again.
        const WNDPROC previous = control->previous_;
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        std::erase_if(objects(), [hwnd](const auto& entry) { return entry.first == hwnd; });
        control->hwnd_ = nullptr;
        return CallWindowProcW(previous, hwnd, message, wParam, lParam);
    }
    if (const std::optional<LRESULT> handled = control->onMessage(message, wParam, lParam)) {
        return *handled;
    }
    return CallWindowProcW(control->previous_, hwnd, message, wParam, lParam);
}

} // namespace quillon::win32
