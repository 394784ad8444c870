#include "CHostStrip.h"

namespace kest {

namespace {
constexpr int StartButtonWidth = 60;
constexpr int Gap = 4;
}  // namespace

HWND CHostStrip::create(HINSTANCE instance) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const RECT bounds{0, screenHeight - Height, screenWidth, screenHeight};
    if (!CWindowImpl::create(instance, L"KestHostStrip", nullptr, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW,
                             bounds, L"Kestrune host")) {
        return nullptr;
    }
    startButton_ = CreateWindowExW(0, L"BUTTON", L"Start", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, Gap,
                                   Gap, StartButtonWidth, Height - 2 * Gap, hwnd_, nullptr, instance, nullptr);
    return hwnd_;
}

void CHostStrip::placeBand(HWND band, int bandHeight) noexcept {
    band_ = band;
    bandHeight_ = bandHeight;
    RECT client{};
    GetClientRect(hwnd_, &client);
    OnSize(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

LRESULT CHostStrip::OnSize(WPARAM, LPARAM lParam) {
    if (!band_ || !IsWindow(band_)) return 0;
    const int left = StartButtonWidth + 2 * Gap;
    const int width = LOWORD(lParam) - left - Gap;
    const int top = (HIWORD(lParam) - bandHeight_) / 2;
    SetWindowPos(band_, nullptr, left, top > 0 ? top : 0, width > 0 ? width : 0, bandHeight_,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT CHostStrip::OnTimer(WPARAM timer, LPARAM) {
    if (timer == CloseTimer) {
        KillTimer(hwnd_, CloseTimer);
        OnClose(0, 0);
    }
    return 0;
}

// Ends the message loop only: the host closes the band before the strip goes, as the
// taskbar calls CloseDW before it destroys its window.
LRESULT CHostStrip::OnClose(WPARAM, LPARAM) {
    PostQuitMessage(0);
    return 0;
}

LRESULT CHostStrip::OnDestroy(WPARAM, LPARAM) {
    PostQuitMessage(0);
    return 0;
}

}  // namespace kest
