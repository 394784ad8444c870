#include "BandNotification.h"
#include <windows.h>

namespace kest {

bool NotifyRunningBand() {
    // Every band has its window: the taskbar's and the floating bar's can run side by side.
    bool found = false;
    for (HWND band = FindWindowExW(nullptr, nullptr, NotificationWindowClass, nullptr); band;
         band = FindWindowExW(nullptr, band, NotificationWindowClass, nullptr)) {
        PostMessageW(band, WM_COMMAND, ReloadCommandId, 0);
        found = true;
    }
    return found;
}

}  // namespace kest
