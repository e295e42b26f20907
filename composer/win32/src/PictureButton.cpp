#include "PictureButton.h"

#include "AreaScale.h"
#include "Dpi.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <string>

namespace quillon::win32 {
namespace {

SIZE sizeOf(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

// The face at `to`, scaled by area from its pixels.
HBITMAP scale(HBITMAP original, SIZE from, SIZE to) {
    const HDC screen = GetDC(nullptr);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = from.cx;
    // Negative: rows top to bottom.
    format.bmiHeader.biHeight = -from.cy;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(from.cx * from.cy));
    GetDIBits(screen, original, 0, static_cast<UINT>(from.cy), pixels.data(), &format,
              DIB_RGB_COLORS);
    const std::vector<std::uint32_t> scaled = scaleByArea(pixels, from.cx, from.cy, to.cx, to.cy);

    format.bmiHeader.biWidth = to.cx;
    format.bmiHeader.biHeight = -to.cy;
    void* bits = nullptr;
    const HBITMAP result = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (result != nullptr) {
        std::copy(scaled.begin(), scaled.end(), static_cast<std::uint32_t*>(bits));
    }
    ReleaseDC(nullptr, screen);
    return result;
}

} // namespace

PictureButton::PictureButton(HWND parent, const ControlDesign& design,
                             std::function<void()> onClick)
    : CommandButton(parent, design, std::move(onClick)) {
    const std::wstring name(design.name.begin(), design.name.end());
    original_ = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), name.c_str(),
                                                IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

PictureButton::~PictureButton() {
    if (scaled_ != nullptr && scaled_ != original_) {
        DeleteObject(scaled_);
    }
    DeleteObject(original_);
}

void PictureButton::layout(int dpi, const Fonts& fonts) {
    if (original_ != nullptr) {
        const SIZE designed = sizeOf(original_);
        const SIZE wanted{MulDiv(designed.cx, dpi, kDesignDpi),
                          MulDiv(designed.cy, dpi, kDesignDpi)};
        if (scaled_ != nullptr && scaled_ != original_) {
            DeleteObject(scaled_);
        }
        scaled_ = dpi == kDesignDpi ? original_ : scale(original_, designed, wanted);
        size_ = wanted;
    }
    CommandButton::layout(dpi, fonts);
}

void PictureButton::drawContent(HDC dc, const RECT& whole, bool pushed) {
    if (scaled_ == nullptr) {
        return;
    }
    // Centred exactly on the whole button: the face is wider than the inside of the border.
    int left = whole.left + (whole.right - whole.left - size_.cx) / 2;
    int top = whole.top + (whole.bottom - whole.top - size_.cy) / 2;
    if (pushed) {
        ++left;
        ++top;
    }
    const HDC source = CreateCompatibleDC(dc);
    const HGDIOBJ old = SelectObject(source, scaled_);
    BitBlt(dc, left, top, size_.cx, size_.cy, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void PictureButton::drawFocus(HDC dc, const RECT& whole) {
    FrameRect(dc, &whole, GetSysColorBrush(COLOR_HIGHLIGHT));
}

} // namespace quillon::win32
