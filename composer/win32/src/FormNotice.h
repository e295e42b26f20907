#pragma once

#include "quillon/SessionPorts.h"

#include <windows.h>

namespace quillon::win32 {

// What the session tells the user, modal to the form: warnings and news in a message box, and
// the About box of the Windows shell with the window's eye icon.
class FormNotice final : public Notice {
public:
    FormNotice(HWND owner, HICON icon) : owner_(owner), icon_(icon) {}

    void showWarning(std::u16string_view text, std::u16string_view detail) override;
    void showInformation(std::u16string_view text, std::u16string_view detail) override;
    void showAbout(std::u16string_view applicationText, std::u16string_view extraText) override;

private:
    void show(std::u16string_view text, std::u16string_view detail, UINT icon);

    HWND owner_;
    HICON icon_;
};

} // namespace quillon::win32
