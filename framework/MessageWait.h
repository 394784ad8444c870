#pragma once
// Waiting on a thread that is a single-threaded apartment for as long as the band lives: COM
// and the system reach such a thread through its message queue, so its waits serve the queue.
#include <windows.h>

namespace kest {

// Waits for one of count handles or for timeout milliseconds, dispatching every message that
// arrives meanwhile. Returns what WaitForMultipleObjects returns, never the index of the queue.
DWORD waitDispatchingMessages(const HANDLE* handles, DWORD count, DWORD timeout);

}  // namespace kest
