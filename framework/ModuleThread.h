#pragma once
// Threads that run a library's code keep the library loaded until they have left it: each
// counts as a live object of the module (so DllCanUnloadNow says no while it runs), holds a
// reference on the module it was started from and ends through FreeLibraryAndExitThread,
// which lies outside the library. A host that unloads the library the moment it may
// therefore never unloads it under a thread still returning.
#include <windows.h>

namespace kest {

// CreateThread, counted as a live object and with a reference on the module that holds this
// code; null on failure.
HANDLE CreateModuleThread(LPTHREAD_START_ROUTINE routine, void* parameter) noexcept;
// Ends a thread made by CreateModuleThread, no longer counted, and drops its reference. Nothing on the thread's
// stack is destroyed: every owner there must have gone out of scope first.
[[noreturn]] void ExitModuleThread(DWORD code) noexcept;

}  // namespace kest
