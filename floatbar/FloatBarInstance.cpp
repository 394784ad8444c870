#include "FloatBarInstance.h"
#include "FloatBarIdentity.h"

namespace kest {

FloatBarInstance::FloatBarInstance() {
    mutex_.reset(CreateMutexW(nullptr, FALSE, FloatBarMutexName));
    // Without a mutex there is no way to tell; the bar runs.
    first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

bool showRunningInstance(DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND running = FindWindowW(FloatBarWindowClass, nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(running, &process);
            // This start has the foreground the user gave it; it passes it on.
            if (process) AllowSetForegroundWindow(process);
            return PostMessageW(running, WM_COMMAND, BringForwardCommandId, 0) != FALSE;
        }
        if (GetTickCount() - start >= timeout) return false;
        Sleep(100);
    }
}

}  // namespace kest
