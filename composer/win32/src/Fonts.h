#pragma once

#include <windows.h>

namespace quillon::win32 {

// The window's fonts at one scale: the user interface font of Simplified Chinese Windows
// ("Microsoft YaHei UI", else "SimSun") for the labels and Text1, and the caption buttons' font
// of the form table (宋体 9 pt). Each asks for the first of its families the system has.
class Fonts {
public:
    explicit Fonts(int dpi);
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    HFONT ui() const { return ui_; }
    HFONT caption() const { return caption_; }

private:
    HFONT ui_ = nullptr;
    HFONT caption_ = nullptr;
};

} // namespace quillon::win32
