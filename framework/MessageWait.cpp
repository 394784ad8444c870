#include "MessageWait.h"

namespace kest {

DWORD waitDispatchingMessages(const HANDLE* handles, DWORD count, DWORD timeout) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const ULONGLONG waited = GetTickCount64() - start;
        const DWORD left = timeout == INFINITE ? INFINITE : waited >= timeout ? 0 : static_cast<DWORD>(timeout - waited);
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, handles, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke != WAIT_OBJECT_0 + count) return woke;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace kest
