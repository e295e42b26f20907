#pragma once

#include "quillon/FormTable.h"

#include <windows.h>

namespace quillon::win32 {

// The scale of the monitor a window is on. The composer declares itself aware of each
// monitor's own scale, so it lays itself out again, sharp, whenever it moves to another.
inline constexpr int kDesignDpi = 96;

// The monitor's dots per inch under `hwnd` (the system's where Windows is older than 10).
int dpiOf(HWND hwnd);

// A twips rectangle of the form table in pixels at `dpi`.
RECT pixelsOf(const TwipsRect& twips, int dpi);

// The outer size of a window whose client area is `client` pixels at `dpi`.
SIZE outerSize(SIZE client, DWORD style, DWORD exStyle, int dpi);

// A system metric at `dpi`.
int metricAt(int index, int dpi);

} // namespace quillon::win32
