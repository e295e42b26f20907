#pragma once

#include "quillon/SessionPorts.h"

#include <windows.h>

#include <deque>
#include <string>

namespace quillon::win32 {

// What the session tells the user, modal to the form: warnings and news in a message box, and
// the About box of the Windows shell with the window's eye icon.
//
// A message box runs a loop of its own, so a box asked for inside a handler of the session's
// (a play that failed, found by a timer) is shown once that handler has returned: the form is
// sent kShowNotices and calls showPending.
class FormNotice final : public Notice {
public:
    static constexpr UINT kShowNotices = WM_APP + 1;

    FormNotice(HWND owner, HICON icon) : owner_(owner), icon_(icon) {}

    void showWarning(std::u16string_view text, std::u16string_view detail) override;
    void showInformation(std::u16string_view text, std::u16string_view detail) override;
    void showAbout(std::u16string_view applicationText, std::u16string_view extraText) override;

    // Shows the boxes asked for, oldest first.
    void showPending();

private:
    struct Pending {
        std::wstring message;
        UINT icon = MB_ICONWARNING;
    };
    void post(std::u16string_view text, std::u16string_view detail, UINT icon);

    HWND owner_;
    HICON icon_;
    std::deque<Pending> pending_;
    bool showing_ = false;
};

} // namespace quillon::win32
