#pragma once
// Keeps the search bar's shortcut index. Asked to, it reads the index file or scans the scan
// locations on a thread of its own, with the entries of the sources without files added
// (packaged apps, Settings pages, Control Panel items, system commands). It follows the disk on
// that thread: it watches every scan location with its whole subtree from before the load and
// rescans in the background once 2 seconds have passed without a further change, at most
// once every 10 seconds; an index read from the file counts as changed, since the disk may
// have changed while no band ran. It lists the packaged apps and the Control Panel items again
// every minute and at each background rescan.
// Every new index is prepared for matching there and announced by a message posted to the
// bar, never sent. The bar's thread never waits for that thread.
#include "ScanContext.h"
#include "ShortcutEntry.h"
#include "StringListKey.h"
#include "UniqueHandle.h"
#include "search/MatchCatalog.h"
#include <memory>

namespace kest {

class CIndexKeeper {
public:
    struct Request {
        StringList locations;
        bool rescan = false;  // scan even when the index file can be read
        bool includePackagedApps = true;
        bool followChanges = true;  // watch the locations and rescan after changes
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
    void noteUserInput() noexcept;
    // Detaches the bar from the thread and tells the thread to stop, without waiting for it:
    // one step of a scan can take 20 s (a target on an offline server). Once this returns,
    // the thread touches nothing of the bar; it ends on its own, drops what it made and
    // never writes the index file.
    void stop() noexcept;
    // How often the packaged apps and the Control Panel items are listed again: a minute,
    // unless set otherwise (0 puts the minute back).
    static void setListingInterval(ULONGLONG milliseconds) noexcept;
    // The running thread's id, or 0: for the tests.
    DWORD threadId() const noexcept;

private:
    // Everything the thread touches, held by the thread and by the keeper.
    class Worker;
    // The thread's routine; worker is a new std::shared_ptr<Worker>, which it deletes.
    static DWORD WINAPI run(void* worker);

    HWND bar_;
    UINT readyMessage_;
    ScanStatusSink* status_;
    std::shared_ptr<Worker> worker_;
    UniqueKernelHandle thread_;
    bool loading_ = false;
};

}  // namespace kest
