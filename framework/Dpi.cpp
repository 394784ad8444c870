#include "Dpi.h"

namespace kest {

UINT WindowDpi(HWND window) noexcept {
    // Looked up, not imported, so that the libraries still load on Windows 7 and 8.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    UINT dpi = 0;
    if (HDC screen = GetDC(nullptr)) {
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    }
    return dpi ? dpi : DefaultDpi;
}

int SystemMetricForDpi(int index, UINT dpi) noexcept {
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto getSystemMetricsForDpi = reinterpret_cast<GetSystemMetricsForDpiFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    if (getSystemMetricsForDpi) return getSystemMetricsForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(WindowDpi(nullptr)));
}

UINT TopLevelDpi(HWND window) noexcept {
    const HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    return WindowDpi(root ? root : window);
}

}  // namespace kest
