#include "Fonts.h"

#include "quillon/FormTable.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace quillon::win32 {
namespace {

constexpr int kUiPoints = 9;
constexpr std::array<std::u16string_view, 2> kUiFamilies{u"Microsoft YaHei UI", u"SimSun"};

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(std::u16string_view family) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    if (family.size() >= LF_FACESIZE) {
        return false;
    }
    family.copy(reinterpret_cast<char16_t*>(wanted.lfFaceName), family.size());
    bool found = false;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, &noteFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// The first family the system has; else the first, which the font mapper replaces as it can.
std::u16string_view firstInstalled(std::span<const std::u16string_view> families) {
    for (const std::u16string_view family : families) {
        if (installed(family)) {
            return family;
        }
    }
    return families.front();
}

HFONT makeFont(std::u16string_view family, int points, int weight, BYTE charset, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(points, dpi, 72);
    font.lfWeight = weight;
    font.lfCharSet = charset;
    font.lfQuality = DEFAULT_QUALITY;
    family.copy(reinterpret_cast<char16_t*>(font.lfFaceName),
                std::min<std::size_t>(family.size(), LF_FACESIZE - 1));
    return CreateFontIndirectW(&font);
}

} // namespace

Fonts::Fonts(int dpi) {
    ui_ = makeFont(firstInstalled(kUiFamilies), kUiPoints, FW_NORMAL, DEFAULT_CHARSET, dpi);
    const FontDesign design = captionFont();
    // Character set 0 as designed: the captions are ASCII.
    caption_ =
        makeFont(firstInstalled(design.families), design.points, design.weight, ANSI_CHARSET, dpi);
}

Fonts::~Fonts() {
    DeleteObject(ui_);
    DeleteObject(caption_);
}

} // namespace quillon::win32
