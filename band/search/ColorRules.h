#pragma once
// The colours of the bar and of the idle edit field.
#include <windows.h>

namespace kest {

// Each channel raised by half (green by half of the adjusted red), clamped to 110..210;
// the largest channel stays, the other two both take the larger of the two.
COLORREF cueTextColor(COLORREF color) noexcept;

// The idle field's computer-name colour.
constexpr COLORREF DefaultCueTextColor = RGB(167, 218, 141);

struct BarColors {
    COLORREF background;
    COLORREF text;
};
// Windows colours: the desktop colour with its complement (0xFFFFFF minus it) as text;
// otherwise green with black text.
BarColors barColors(bool usingWindowsColors, COLORREF desktopColor) noexcept;

}  // namespace kest
