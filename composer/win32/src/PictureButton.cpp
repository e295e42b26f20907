#include "PictureButton.h"

#include "Dpi.h"

#include <string>

namespace quillon::win32 {
namespace {

SIZE sizeOf(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

HBITMAP scale(HBITMAP original, SIZE from, SIZE to, bool wholeMultiple) {
    const HDC screen = GetDC(nullptr);
    const HDC source = CreateCompatibleDC(screen);
    const HDC target = CreateCompatibleDC(screen);
    const HBITMAP scaled = CreateCompatibleBitmap(screen, to.cx, to.cy);
    const HGDIOBJ oldSource = SelectObject(source, original);
    const HGDIOBJ oldTarget = SelectObject(target, scaled);
    // Pixel for pixel where every pixel becomes a whole block; elsewhere each target pixel
    // averages the source pixels it covers, which keeps the glyph's weight even.
    SetStretchBltMode(target, wholeMultiple ? COLORONCOLOR : HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, 0, 0, to.cx, to.cy, source, 0, 0, from.cx, from.cy, SRCCOPY);
    SelectObject(source, oldSource);
    SelectObject(target, oldTarget);
    DeleteDC(source);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
    return scaled;
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
        scaled_ = dpi == kDesignDpi ? original_
                                    : scale(original_, designed, wanted, dpi % kDesignDpi == 0);
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
