#pragma once

#include "quillon/SessionPorts.h"

#include <windows.h>

#include <functional>

namespace quillon::win32 {

// The small window over the form while a melody is written onto a board: what is done, a
// progress bar and 取消. Modeless: the form stays in use meanwhile.
class BoardProgress final : public BoardProgressWindow {
public:
    explicit BoardProgress(HWND owner) : owner_(owner) {}
    ~BoardProgress() override;
    BoardProgress(const BoardProgress&) = delete;
    BoardProgress& operator=(const BoardProgress&) = delete;

    void showProgress(std::u16string_view title, std::function<void()> onCancel) override;
    void setProgress(std::u16string_view text, int percent) override;
    void closeProgress() override;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND owner_;
    HWND window_ = nullptr;
    HWND text_ = nullptr;
    HWND bar_ = nullptr;
    std::function<void()> onCancel_;
};

} // namespace quillon::win32
