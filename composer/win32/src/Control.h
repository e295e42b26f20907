#pragma once

#include <windows.h>

#include <optional>

namespace quillon::win32 {

// One window of the composer, the form or a control on it: owns its HWND and handles its own
// messages, and also the notifications Windows sends the parent about it (WM_COMMAND,
// WM_NOTIFY, WM_DRAWITEM, WM_CTLCOLORSTATIC), which the form hands back to the control they
// concern. The application talks to these objects, never to raw HWNDs.
class Control {
public:
    Control() = default;
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hwnd() const { return hwnd_; }

    // The object behind `hwnd`, when it is one of ours.
    static Control* of(HWND hwnd);

    // A notification about this control that reached its parent; nullopt leaves it to the
    // parent's default handling.
    virtual std::optional<LRESULT> onNotification(UINT message, WPARAM wParam, LPARAM lParam);

    void moveTo(const RECT& rect);

protected:
    // Takes over the messages of `hwnd` (a window just created): onMessage sees them first. A
    // helper window of the control's (its tooltip) is adopted: its notifications come here too.
    void attach(HWND hwnd);
    void adopt(HWND helper);

    // nullopt passes the message on to the window's own procedure.
    virtual std::optional<LRESULT> onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT passOn(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    WNDPROC previous_ = nullptr;
};

} // namespace quillon::win32
