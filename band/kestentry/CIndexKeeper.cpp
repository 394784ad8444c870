#include "CIndexKeeper.h"
#include "CFolderWatch.h"
#include "ComPtr.h"
#include "ControlPanelItems.h"
#include "IndexLoader.h"
#include "ModuleThread.h"
#include "EntryForms.h"
#include "PackagedApps.h"
#include "SettingsPages.h"
#include "SystemCommands.h"
#include "StartMenuScanner.h"
#include <commctrl.h>
#include <algorithm>

namespace kest {

namespace {

// How long the disk must stay quiet after a change before the rescan.
constexpr ULONGLONG QuietTime = 2000;
// The least time from one background rescan to the next.
constexpr ULONGLONG RescanInterval = 10000;
// Installing a packaged app or a Control Panel item touches no watched folder: they are
// listed this often.
constexpr ULONGLONG DefaultListingInterval = 60000;
std::atomic<ULONGLONG> listingInterval{DefaultListingInterval};
constexpr ULONGLONG Never = ~ULONGLONG{0};
// A background rescan pauses this often (in shortcuts): a few tenths of a second more for
// 2,000 shortcuts.
constexpr size_t BackgroundYieldEvery = 4;

}  // namespace

CIndexKeeper::CIndexKeeper(HWND bar, UINT readyMessage, ScanStatusSink* status) noexcept
    : bar_(bar), readyMessage_(readyMessage), status_(status), stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CIndexKeeper::~CIndexKeeper() { stop(); }

bool CIndexKeeper::load(Request request) {
    stop();
    if (!stopEvent_) return false;
    request_ = std::move(request);
    loading_ = true;
    thread_.reset(CreateModuleThread(run, this));
    if (!thread_) {
        loading_ = false;
        return false;
    }
    return true;
}

bool CIndexKeeper::take(Update& update) {
    std::unique_ptr<Update> waiting;
    {
        std::lock_guard<std::mutex> lock(waitingLock_);
        waiting = std::move(waiting_);
    }
    if (!waiting) return false;
    update = std::move(*waiting);
    if (!update.background) loading_ = false;
    return true;
}

void CIndexKeeper::setListingInterval(ULONGLONG milliseconds) noexcept {
    listingInterval = milliseconds ? milliseconds : DefaultListingInterval;
}

void CIndexKeeper::stop() noexcept {
    if (thread_) {
        abortRequested_ = true;
        SetEvent(stopEvent_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
        ResetEvent(stopEvent_.get());
        abortRequested_ = false;
    }
    loading_ = false;
    std::lock_guard<std::mutex> lock(waitingLock_);
    waiting_.reset();
}

DWORD WINAPI CIndexKeeper::run(void* parameter) {
    auto* keeper = static_cast<CIndexKeeper*>(parameter);
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0x2FF};
    InitCommonControlsEx(&controls);
    {
        ComInitialization com(COINIT_APARTMENTTHREADED);
        keeper->loadAndFollow();
    }
    ExitModuleThread(0);
}

void CIndexKeeper::loadAndFollow() {
    // Shell objects of the thread's own apartment.
    ComPtr<IShellLinkW> shellLink;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.putVoid());
    ComPtr<IShellFolder> desktopFolder;
    SHGetDesktopFolder(desktopFolder.put());
    const std::shared_ptr<AppsFolder> appsFolder = currentAppsFolder();
    // The entries of every source without files, not only the packaged apps.
    ShortcutIndex apps = listedEntries(*appsFolder);

    auto update = std::make_unique<Update>();
    const ScanContext context{abortRequested_, bar_, shellLink.get(), desktopFolder.get(), status_,
                              &apps};
    const IndexLoadResult result = loadOrScanIndex(context, request_.locations, request_.rescan, update->index);
    if (abortRequested_) return;
    // The file holds the apps of its scan; the ones installed now count.
    if (result == IndexLoadResult::ReadFromFile) replaceListedEntries(update->index, apps);
    update->catalog.build(update->index);
    if (abortRequested_) return;
    handOver(std::move(update));

    if (request_.followChanges || request_.includePackagedApps || request_.includeControlPanel)
        follow(shellLink.get(), desktopFolder.get(), *appsFolder, apps);
}

void CIndexKeeper::follow(IShellLinkW* shellLink, IShellFolder* desktopFolder, AppsFolder& appsFolder,
                          ShortcutIndex& apps) {
    CFolderWatch watch(request_.followChanges ? request_.locations : StringList());
    const bool listApps = request_.includePackagedApps || request_.includeControlPanel;
    const ULONGLONG interval = listingInterval;
    ULONGLONG lastRescan = GetTickCount64();
    ULONGLONG nextListing = listApps ? lastRescan + interval : Never;
    ULONGLONG lastChange = 0;
    ULONGLONG appsListedAt = 0;
    bool changed = false;
    for (;;) {
        const ULONGLONG due =
            changed ? std::min(nextListing, std::max(lastChange + QuietTime, lastRescan + RescanInterval)) : nextListing;
        const ULONGLONG now = GetTickCount64();
        const DWORD timeout = due == Never ? INFINITE : due > now ? static_cast<DWORD>(due - now) : 0;
        const CFolderWatch::Wake woke = watch.wait(stopEvent_.get(), timeout);
        if (woke == CFolderWatch::Wake::Stopped || abortRequested_) return;
        const ULONGLONG at = GetTickCount64();
        if (woke == CFolderWatch::Wake::Changed) {
            changed = true;
            lastChange = at;
            continue;
        }
        if (at >= nextListing) {
            nextListing = at + interval;
            ShortcutIndex listed = listedEntries(appsFolder);
            if (abortRequested_) return;
            appsListedAt = at;
            if (listed != apps) {
                apps = std::move(listed);
                changed = true;
                lastChange = at - QuietTime;
            }
        }
        if (changed && at >= lastChange + QuietTime && at >= lastRescan + RescanInterval) {
            changed = false;
            // Listed afresh for the rescan, unless that listing is what asked for it.
            if (listApps && appsListedAt != at) apps = listedEntries(appsFolder);
            rescanInBackground(shellLink, desktopFolder, &apps);
            if (abortRequested_) return;
            lastRescan = GetTickCount64();
            if (listApps) nextListing = lastRescan + interval;
        }
    }
}

void CIndexKeeper::rescanInBackground(IShellLinkW* shellLink, IShellFolder* desktopFolder, const ShortcutIndex* apps) {
    auto update = std::make_unique<Update>();
    update->background = true;
    // No window and no status: the user goes on typing while it runs, and the thread gives
    // way to the window thread for the processor and the disk.
    const ScanContext context{abortRequested_, nullptr, shellLink, desktopFolder, nullptr, apps,
                              BackgroundYieldEvery, &lastUserInput_};
    StartMenuScanner scanner(context, update->index);
    SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_BEGIN);
    const ScanResult result = scanner.Rescan(request_.locations, indexFilePath());
    SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_END);
    if (result == ScanResult::Aborted) return;
    update->catalog.build(update->index);
    if (abortRequested_) return;
    handOver(std::move(update));
}

ShortcutIndex CIndexKeeper::listedEntries(AppsFolder& appsFolder) const {
    ShortcutIndex listed;
    if (request_.includePackagedApps) listed = packagedAppEntries(appsFolder.items());
    if (request_.includeSettingsPages) listed.merge(settingsPageEntries());
    if (request_.includeSystemCommands) listed.merge(systemCommandEntries(*currentSystemCalls()));
    // Stopped between items: an incomplete listing is never handed over.
    if (request_.includeControlPanel)
        listed.merge(controlPanelEntries(currentControlPanelFolder()->items(abortRequested_)));
    return listed;
}

void CIndexKeeper::handOver(std::unique_ptr<Update> update) {
    {
        std::lock_guard<std::mutex> lock(waitingLock_);
        // A newer index replaces one the bar has not taken yet; if that was the answer to
        // the bar's load, the newer one answers it.
        if (waiting_ && !waiting_->background) update->background = false;
        waiting_ = std::move(update);
    }
    PostMessageW(bar_, readyMessage_, 0, 0);
}

}  // namespace kest
