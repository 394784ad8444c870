#pragma once
// Display scale: sizes are designed in pixels at 96 dots per inch and scaled by the DPI of
// the window that shows them.
#include <windows.h>

// Sent to child windows from Windows 10 1703 on; the headers declare it only for newer
// WINVER values than the libraries target.
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace kest {

constexpr UINT DefaultDpi = 96;

// The DPI the window is shown at: GetDpiForWindow where the system has it (Windows 10
// 1607 on), else the screen's; DefaultDpi when neither answers.
UINT WindowDpi(HWND window) noexcept;

// A size in pixels at 96 DPI, at dpi, rounded to the nearest pixel.
inline int ScaleForDpi(int pixels, UINT dpi) noexcept { return MulDiv(pixels, static_cast<int>(dpi), DefaultDpi); }

}  // namespace kest
