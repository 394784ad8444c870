#pragma once
// What the index and the scanner need from the window they work for. The bar owns all of
// it, creates it on its own thread and keeps it alive until the worker has ended.
#include <windows.h>
#include <shlobj.h>
#include "ShortcutEntry.h"
#include <atomic>
#include <string>

namespace kest {

// Receives the status text while a scan runs. Called on the worker thread; the receiver
// guards the text against its own painting.
class ScanStatusSink {
public:
    virtual void setStatusText(const std::wstring& text) = 0;

protected:
    ~ScanStatusSink() = default;
};

struct ScanContext {
    // Set by the window thread to stop the worker; polled before every file and folder.
    const std::atomic<bool>& abortRequested;
    // The bar window: its width and device context compact the status text, it is
    // invalidated when the text changes, and it owns the shell's parsing. May be null.
    HWND ownerWindow = nullptr;
    // Reused for every ".lnk" file; without it no link is read.
    IShellLinkW* shellLink = nullptr;
    // The desktop's folder, used to parse ".url" files; may be null.
    IShellFolder* desktopFolder = nullptr;
    // May be null.
    ScanStatusSink* status = nullptr;
    // The entries of the sources without files (packaged apps, Settings pages, system
    // commands), put in place of those in the index of a scan before it is saved; may be null.
    const ShortcutIndex* listedEntries = nullptr;
    // A background scan pauses for a millisecond after this many shortcuts (0: never), and
    // for longer after every one while the user types: lastUserInput is when the user last typed
    // (GetTickCount64); may be null.
    size_t yieldEvery = 0;
    const std::atomic<ULONGLONG>* lastUserInput = nullptr;
};

}  // namespace kest
