#pragma once

#include <windows.h>

#include <string_view>

namespace quillon::win32 {

// Gives `hwnd` the name a screen reader says for it, for a control whose window text is its
// content rather than its name (Text1). Where the system's accessibility service is missing,
// the control keeps the name the system gives it.
void nameForScreenReaders(HWND hwnd, std::u16string_view name);

} // namespace quillon::win32
