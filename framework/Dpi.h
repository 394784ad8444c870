#pragma once
// Display scale: sizes are designed in pixels at 96 dots per inch and scaled by the DPI of
// the window that shows them.
#include <windows.h>

// Sent to every child window after its top-level window's DPI changed (Windows 10 1703 on).
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace kest {

constexpr UINT DefaultDpi = 96;

// The DPI the window is shown at: GetDpiForWindow where the system has it (Windows 10
// 1607 on), else the screen's; DefaultDpi when neither answers.
UINT WindowDpi(HWND window) noexcept;

// The DPI of the top-level window that holds window. A child shows at its top-level window's
// DPI; Wine keeps the descendants of a reparented window at the DPI they were made with.
UINT TopLevelDpi(HWND window) noexcept;

// GetSystemMetricsForDpi where the system has it (Windows 10 1607 on), else the metric at the
// system's DPI scaled to dpi.
int SystemMetricForDpi(int index, UINT dpi) noexcept;

// A size in pixels at 96 DPI, at dpi, rounded to the nearest pixel.
inline int ScaleForDpi(int pixels, UINT dpi) noexcept { return MulDiv(pixels, static_cast<int>(dpi), DefaultDpi); }

}  // namespace kest
