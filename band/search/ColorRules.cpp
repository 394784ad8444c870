#include "ColorRules.h"

namespace kest {

namespace {
int clampChannel(int value) noexcept { return value < 110 ? 110 : (value > 210 ? 210 : value); }
int larger(int a, int b) noexcept { return a > b ? a : b; }
}  // namespace

COLORREF cueTextColor(COLORREF color) noexcept {
    const int r = clampChannel(GetRValue(color) + GetRValue(color) / 2);
    const int g = clampChannel(GetGValue(color) + r / 2);
    const int b = clampChannel(GetBValue(color) + GetBValue(color) / 2);
    if (r >= g && r >= b) return RGB(r, larger(g, b), larger(g, b));
    if (g > r && g >= b) return RGB(larger(r, b), g, larger(r, b));
    return RGB(larger(r, g), larger(r, g), b);
}

BarColors barColors(bool usingWindowsColors, COLORREF desktopColor) noexcept {
    if (usingWindowsColors) return {desktopColor, static_cast<COLORREF>(0xFFFFFF - desktopColor)};
    return {RGB(0, 255, 0), RGB(0, 0, 0)};
}

}  // namespace kest
