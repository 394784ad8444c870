#pragma once
// The hidden top-level window through which the settings program asks a running band to
// reload: its class is a copy of the system "button" class under NotificationWindowClass,
// and it relays WM_COMMAND 3008 to the bar. Bands tell each other through these windows
// that the hot key is free (HotKeyFreedCommandId) and that one saved the files they share
// (BandFilesSavedCommandId), relayed the same way.
#include "Window.h"

namespace kest {

class CNotificationWnd : public CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(CNotificationWnd, CSubclassedWindow)
        KEST_ON_MESSAGE(WM_COMMAND, OnCommand)
    KEST_END_MESSAGE_TABLE()

public:
    CNotificationWnd() = default;
    ~CNotificationWnd() override;
    // Registers the class (the result is ignored) and creates the window; false on failure.
    bool create();
    void setBar(HWND bar) noexcept { bar_ = bar; }
    // Posts WM_COMMAND command to the notification window of every other running band.
    void postToOtherBands(UINT command) const;
    // Whether the notification window of another band exists.
    bool otherBandsRun() const;

private:
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    HWND bar_ = nullptr;
};

// Posts WM_COMMAND command to the notification window of every running band but own (may be
// null); any thread may call it.
void postToBandsBut(HWND own, UINT command);

}  // namespace kest
