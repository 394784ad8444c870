#include "BandNotification.h"
#include <windows.h>

namespace kest {

bool NotifyRunningBand() {
    HWND band = FindWindowW(NotificationWindowClass, nullptr);
    if (!band) return false;
    PostMessageW(band, WM_COMMAND, ReloadCommandId, 0);
    return true;
}

}  // namespace kest
