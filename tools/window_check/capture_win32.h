// Pictures and controls of the program's main window, as another program
// sees them through Win32.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "tools/window_check/image.h"

namespace window_check {

// The first visible top-level window of the class ("Velantra_P3D"), of the
// process when one is given; null when there is none.
HWND findWindowOfClass(const wchar_t* className, DWORD processId = 0);
// The window's client area as the window painted it.
std::optional<Image> captureClientArea(HWND window);

}  // namespace window_check
