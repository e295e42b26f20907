// The About box on Windows: the shell's standard one. ShellAboutW is looked up by name on first
// use rather than linked. The wide variant takes the texts as they are; the ANSI one would turn
// the Chinese texts into question marks wherever the ANSI code page is not 936.
#include "AboutBox.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <windows.h>

namespace quillon {

namespace {

using ShellAboutWProc = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, HICON);

ShellAboutWProc shellAboutW() {
    // Bound once; a failed lookup stays failed for the rest of the run.
    static const ShellAboutWProc proc = []() -> ShellAboutWProc {
        // shell32 is a known DLL: it always comes from the system directory.
        const HMODULE shell = LoadLibraryW(L"shell32.dll");
        if (shell == nullptr) {
            return nullptr;
        }
        const FARPROC found = GetProcAddress(shell, "ShellAboutW");
        // Through void(*)(), the generic function pointer, to the real signature.
        return found != nullptr
                   ? reinterpret_cast<ShellAboutWProc>(reinterpret_cast<void (*)()>(found))
                   : nullptr;
    }();
    return proc;
}

HWND handleOf(QWidget* window) {
    try {
        return window != nullptr ? reinterpret_cast<HWND>(window->winId()) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

// A large icon made from the window's icon; the caller destroys it. Null (the shell then shows
// its own) when there is none.
HICON iconOf(const QWidget* window) {
    try {
        if (window == nullptr || window->windowIcon().isNull()) {
            return nullptr;
        }
        const int side = GetSystemMetrics(SM_CXICON);
        const QImage image = window->windowIcon().pixmap(QSize(side, side)).toImage();
        return image.isNull() ? nullptr : image.toHICON();
    } catch (...) {
        return nullptr;
    }
}

} // namespace

void showAboutBox(QWidget* owner) {
    try {
        const ShellAboutWProc shellAbout = shellAboutW();
        if (shellAbout == nullptr) {
            return;
        }
        const QString application = aboutApplicationText();
        const QString extra = aboutExtraText();
        QWidget* window = owner != nullptr ? owner->window() : nullptr;
        const HWND handle = handleOf(window);
        // Made last, so that nothing that could still fail stands between it and DestroyIcon.
        const HICON icon = iconOf(window);
        // utf16() is zero-terminated UTF-16, which is what wchar_t strings are on Windows.
        shellAbout(handle, reinterpret_cast<LPCWSTR>(application.utf16()),
                   reinterpret_cast<LPCWSTR>(extra.utf16()), icon);
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    } catch (...) {
        // An About box that cannot be shown is simply not shown.
    }
}

} // namespace quillon
