#include "BoardProgress.h"

#include "quillon/UserTexts.h"

#include <commctrl.h>

#include <string>

namespace quillon::win32 {

namespace {

constexpr wchar_t kClass[] = L"QuillonBoardProgress";

std::wstring wide(std::u16string_view text) {
    return {text.begin(), text.end()};
}

} // namespace

BoardProgress::~BoardProgress() {
    closeProgress();
}

LRESULT CALLBACK BoardProgress::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<BoardProgress*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const bool cancel =
        (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE;
    if (cancel) {
        if (self != nullptr && self->onCancel_) {
            // Once: the upload stops between pages and the session then closes the window.
            auto onCancel = std::move(self->onCancel_);
            self->onCancel_ = nullptr;
            onCancel();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void BoardProgress::showProgress(std::u16string_view title, std::function<void()> onCancel) {
    closeProgress();
    onCancel_ = std::move(onCancel);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    if (GetClassInfoW(instance, kClass, &windowClass) == FALSE) {
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClass;
        RegisterClassW(&windowClass);
    }
    RECT form{};
    GetWindowRect(owner_, &form);
    const int width = 320;
    const int height = 140;
    window_ = CreateWindowExW(
        WS_EX_DLGMODALFRAME, kClass, wide(title).c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
        (form.left + form.right - width) / 2, (form.top + form.bottom - height) / 2, width, height,
        owner_, nullptr, instance, nullptr);
    if (window_ == nullptr) {
        return;
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    text_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 12, 10, 280, 20, window_,
                            nullptr, instance, nullptr);
    bar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 12, 36, 280, 18, window_,
                           nullptr, instance, nullptr);
    const HWND cancel = CreateWindowExW(
        0, L"BUTTON", wide(userText(UserText::CancelButton)).c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 212, 64, 80, 24, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), instance, nullptr);
    SendMessageW(text_, WM_SETFONT, font, TRUE);
    SendMessageW(cancel, WM_SETFONT, font, TRUE);
    SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
    ShowWindow(window_, SW_SHOWNORMAL);
}

void BoardProgress::setProgress(std::u16string_view text, int percent) {
    if (window_ == nullptr) {
        return;
    }
    SetWindowTextW(text_, wide(text).c_str());
    SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void BoardProgress::closeProgress() {
    onCancel_ = nullptr;
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

} // namespace quillon::win32
