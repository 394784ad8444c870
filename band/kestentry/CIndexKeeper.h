#pragma once
// Keeps the search bar's shortcut index. Asked to, it reads the index file or scans the scan
// locations on a thread of its own, with the entries of the sources without files added
// (packaged apps, Settings pages, Control Panel items, system commands). Afterwards it follows the
// disk on that thread: it watches every scan location with its whole subtree and rescans in
// the background once 2 seconds have passed without a further change, at most once every
// 10 seconds; it lists the packaged apps and the Control Panel items again every minute and
// at each background rescan.
// Every new index is prepared for matching there and announced by a message posted to the
// bar, never sent: the bar's thread may be waiting for the keeper while it closes.
#include "ScanContext.h"
#include "ShortcutEntry.h"
#include "StringListKey.h"
#include "UniqueHandle.h"
#include "search/MatchCatalog.h"
#include <atomic>
#include <memory>
#include <mutex>

namespace kest {

class AppsFolder;

class CIndexKeeper {
public:
    struct Request {
        StringList locations;
        bool rescan = false;  // scan even when the index file can be read
        bool includePackagedApps = true;
        bool followChanges = true;  // watch the locations once the index is loaded
        bool includeSettingsPages = true;
        bool includeSystemCommands = true;
        bool includeControlPanel = true;
    };
    // A new index and its catalog, which points into it; moving both keeps it so.
    struct Update {
        ShortcutIndex index;
        MatchCatalog catalog;
        bool background = false;  // a rescan after changes, not the load the bar asked for
    };

    // bar is posted readyMessage whenever an update waits; status (may be null) shows the
    // folders while a requested scan runs.
    CIndexKeeper(HWND bar, UINT readyMessage, ScanStatusSink* status) noexcept;
    ~CIndexKeeper();
    CIndexKeeper(const CIndexKeeper&) = delete;
    CIndexKeeper& operator=(const CIndexKeeper&) = delete;

    // Stops what runs, then loads on a new thread; false when no thread could be started.
    bool load(Request request);
    // From load until the bar has taken the loaded index, or stop.
    bool loading() const noexcept { return loading_; }
    // On readyMessage: moves the waiting update into update; false when none waits.
    bool take(Update& update);
    // Called on the window thread for every key the user types: a background rescan then
    // gives way to the typing.
    void noteUserInput() noexcept { lastUserInput_ = GetTickCount64(); }
    // Stops the thread and waits for it. It polls between files and waits on the stop
    // event otherwise, so this returns at once.
    void stop() noexcept;
    // How often the packaged apps and the Control Panel items are listed again: a minute,
    // unless set otherwise (0 puts the minute back).
    static void setListingInterval(ULONGLONG milliseconds) noexcept;

private:
    static DWORD WINAPI run(void* keeper);
    void loadAndFollow();
    void follow(IShellLinkW* shellLink, IShellFolder* desktopFolder, AppsFolder& appsFolder, ShortcutIndex& apps);
    void rescanInBackground(IShellLinkW* shellLink, IShellFolder* desktopFolder, const ShortcutIndex* apps);
    void handOver(std::unique_ptr<Update> update);
    // The entries of the sources without files that the request includes.
    ShortcutIndex listedEntries(AppsFolder& appsFolder) const;

    HWND bar_;
    UINT readyMessage_;
    ScanStatusSink* status_;
    Request request_;  // read by the thread while it runs
    std::atomic<bool> abortRequested_{false};
    std::atomic<ULONGLONG> lastUserInput_{0};
    UniqueKernelHandle stopEvent_;
    UniqueKernelHandle thread_;
    bool loading_ = false;
    std::mutex waitingLock_;
    std::unique_ptr<Update> waiting_;
};

}  // namespace kest
