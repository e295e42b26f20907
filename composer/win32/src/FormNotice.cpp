#include "FormNotice.h"

#include <string>

namespace quillon::win32 {
namespace {

using ShellAboutWProc = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, HICON);

// Bound by name at its first use; a failed lookup stays failed for the rest of the run. The
// wide variant takes the Chinese texts as they are on any system code page.
ShellAboutWProc shellAbout() {
    static const ShellAboutWProc proc = []() -> ShellAboutWProc {
        // shell32 is a known DLL: it always comes from the system directory.
        const HMODULE shell = LoadLibraryW(L"shell32.dll");
        const FARPROC found = shell != nullptr ? GetProcAddress(shell, "ShellAboutW") : nullptr;
        // Through void(*)(), the generic function pointer, to the real signature.
        return reinterpret_cast<ShellAboutWProc>(reinterpret_cast<void (*)()>(found));
    }();
    return proc;
}

std::wstring wide(std::u16string_view text) {
    return {text.begin(), text.end()};
}

} // namespace

void FormNotice::showWarning(std::u16string_view text, std::u16string_view detail) {
    post(text, detail, MB_ICONWARNING);
}

void FormNotice::showInformation(std::u16string_view text, std::u16string_view detail) {
    post(text, detail, MB_ICONINFORMATION);
}

void FormNotice::post(std::u16string_view text, std::u16string_view detail, UINT icon) {
    std::wstring message = wide(text);
    if (!detail.empty()) {
        message += L"\r\n\r\n" + wide(detail);
    }
    pending_.push_back({std::move(message), icon});
    PostMessageW(owner_, kShowNotices, 0, 0);
}

void FormNotice::showPending() {
    // One box at a time: what comes while one is open waits for it to close.
    if (showing_) {
        return;
    }
    showing_ = true;
    while (!pending_.empty()) {
        const Pending next = std::move(pending_.front());
        pending_.pop_front();
        MessageBoxW(owner_, next.message.c_str(), L"Quillon", MB_OK | next.icon);
    }
    showing_ = false;
}

void FormNotice::showAbout(std::u16string_view applicationText, std::u16string_view extraText) {
    // Nothing is said when the box cannot be shown: the window goes on as before.
    if (const ShellAboutWProc about = shellAbout()) {
        about(owner_, wide(applicationText).c_str(), wide(extraText).c_str(), icon_);
    }
}

} // namespace quillon::win32
