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
    show(text, detail, MB_ICONWARNING);
}

void FormNotice::showInformation(std::u16string_view text, std::u16string_view detail) {
    show(text, detail, MB_ICONINFORMATION);
}

void FormNotice::show(std::u16string_view text, std::u16string_view detail, UINT icon) {
    std::wstring message = wide(text);
    if (!detail.empty()) {
        message += L"\r\n\r\n" + wide(detail);
    }
    MessageBoxW(owner_, message.c_str(), L"Quillon", MB_OK | icon);
}

void FormNotice::showAbout(std::u16string_view applicationText, std::u16string_view extraText) {
    // Nothing is said when the box cannot be shown: the window goes on as before.
    if (const ShellAboutWProc about = shellAbout()) {
        about(owner_, wide(applicationText).c_str(), wide(extraText).c_str(), icon_);
    }
}

} // namespace quillon::win32
