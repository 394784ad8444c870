#include "CNotificationWnd.h"
#include "BarCommands.h"
#include "search/ModuleFolder.h"

namespace kest {

CNotificationWnd::~CNotificationWnd() {
    HWND window = hwnd();
    detach();
    if (window) DestroyWindow(window);
}

bool CNotificationWnd::create() {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    if (GetClassInfoExW(nullptr, L"button", &windowClass)) {
        windowClass.hInstance = bandModule();
        windowClass.lpszClassName = NotificationWindowClass;
        RegisterClassExW(&windowClass);
    }
    HWND window = CreateWindowExW(0, NotificationWindowClass, NotificationWindowClass, WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, bandModule(), nullptr);
    if (!window) return false;
    if (!attach(window)) {
        DestroyWindow(window);
        return false;
    }
    return true;
}

LRESULT CNotificationWnd::OnCommand(WPARAM wParam, LPARAM) {
    const UINT command = LOWORD(wParam);
    if (command != ReloadCommandId && command != HotKeyFreedCommandId && command != BandFilesSavedCommandId) {
        passToDefault();
        return 0;
    }
    if (bar_) PostMessageW(bar_, WM_COMMAND, command, 0);
    return 0;
}

void CNotificationWnd::postToOtherBands(UINT command) const { postToBandsBut(hwnd(), command); }

void postToBandsBut(HWND own, UINT command) {
    for (HWND band = FindWindowExW(nullptr, nullptr, NotificationWindowClass, nullptr); band;
         band = FindWindowExW(nullptr, band, NotificationWindowClass, nullptr))
        if (band != own) PostMessageW(band, WM_COMMAND, command, 0);
}

bool CNotificationWnd::otherBandsRun() const {
    for (HWND band = FindWindowExW(nullptr, nullptr, NotificationWindowClass, nullptr); band;
         band = FindWindowExW(nullptr, band, NotificationWindowClass, nullptr))
        if (band != hwnd()) return true;
    return false;
}

}  // namespace kest
