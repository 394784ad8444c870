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
#include <atomic>
#include <mutex>

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

// The thread's state lives here rather than in the keeper, which the bar destroys without
// waiting for the thread. The bar's window and status sink are reached only under lock_,
// and stop detaches them under it: after stop nothing of the bar is touched.
class CIndexKeeper::Worker : private ScanStatusSink {
public:
    Worker(HWND bar, UINT readyMessage, ScanStatusSink* status, Request request)
        : request_(std::move(request)),
          stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          bar_(bar),
          readyMessage_(readyMessage),
          status_(status) {}

    bool usable() const noexcept { return static_cast<bool>(stopEvent_); }
    void noteUserInput() noexcept { lastUserInput_ = GetTickCount64(); }
    std::unique_ptr<Update> takeWaiting() {
        std::lock_guard<std::mutex> lock(lock_);
        return std::move(waiting_);
    }
    void stop() noexcept {
        {
            std::lock_guard<std::mutex> lock(lock_);
            bar_ = nullptr;
            status_ = nullptr;
            waiting_.reset();
        }
        abortRequested_ = true;
        SetEvent(stopEvent_.get());
    }
    void loadAndFollow();

private:
    // Whether any source without files is listed again from time to time.
    bool listsEntries() const noexcept {
        return request_.includePackagedApps || request_.includeControlPanel;
    }
    // The entries of the sources without files that the request includes.
    ShortcutIndex listedEntries(AppsFolder& appsFolder) const;
    void follow(CFolderWatch& watch, bool indexMayBeStale, IShellLinkW* shellLink, IShellFolder* desktopFolder,
                AppsFolder& appsFolder, ShortcutIndex& apps);
    // Builds update's catalog and hands it over, unless the thread was stopped meanwhile.
    void buildAndHandOver(std::unique_ptr<Update> update);
    // Hands over the index file's entries with the sources without files as listed now.
    void handOverFileWithListedEntries(const ShortcutIndex& listed);
    void rescanInBackground(IShellLinkW* shellLink, IShellFolder* desktopFolder, const ShortcutIndex* apps);
    // Posts update to the bar, or drops it once the bar is detached.
    void handOver(std::unique_ptr<Update> update);
    // The status of a requested scan, passed on to the bar while it is attached.
    void setStatusText(const std::wstring& text) override;

    const Request request_;
    std::atomic<bool> abortRequested_{false};
    std::atomic<ULONGLONG> lastUserInput_{0};
    const UniqueKernelHandle stopEvent_;
    std::mutex lock_;  // guards what follows
    HWND bar_;
    UINT readyMessage_;
    ScanStatusSink* status_;
    std::unique_ptr<Update> waiting_;
};

DWORD WINAPI CIndexKeeper::run(void* parameter) {
    {
        const std::unique_ptr<std::shared_ptr<Worker>> worker(static_cast<std::shared_ptr<Worker>*>(parameter));
        INITCOMMONCONTROLSEX controls{sizeof(controls), 0x2FF};
        InitCommonControlsEx(&controls);
        ComInitialization com(COINIT_APARTMENTTHREADED);
        (*worker)->loadAndFollow();
    }
    ExitModuleThread(0);
}

CIndexKeeper::CIndexKeeper(HWND bar, UINT readyMessage, ScanStatusSink* status) noexcept
    : bar_(bar), readyMessage_(readyMessage), status_(status) {}

CIndexKeeper::~CIndexKeeper() { stop(); }

bool CIndexKeeper::load(Request request) {
    stop();
    auto worker = std::make_shared<Worker>(bar_, readyMessage_, status_, std::move(request));
    if (!worker->usable()) return false;
    auto* held = new std::shared_ptr<Worker>(worker);
    thread_.reset(CreateModuleThread(run, held));
    if (!thread_) {
        delete held;
        return false;
    }
    worker_ = std::move(worker);
    loading_ = true;
    return true;
}

bool CIndexKeeper::take(Update& update) {
    std::unique_ptr<Update> waiting = worker_ ? worker_->takeWaiting() : nullptr;
    if (!waiting) return false;
    update = std::move(*waiting);
    if (!update.background) loading_ = false;
    return true;
}

void CIndexKeeper::setListingInterval(ULONGLONG milliseconds) noexcept {
    listingInterval = milliseconds ? milliseconds : DefaultListingInterval;
}

void CIndexKeeper::noteUserInput() noexcept {
    if (worker_) worker_->noteUserInput();
}

void CIndexKeeper::stop() noexcept {
    if (worker_) worker_->stop();
    worker_.reset();
    thread_.reset();
    loading_ = false;
}

DWORD CIndexKeeper::threadId() const noexcept { return thread_ ? GetThreadId(thread_.get()) : 0; }

void CIndexKeeper::Worker::loadAndFollow() {
    // Watched before the load, so that what changes while it runs is seen.
    CFolderWatch watch(request_.followChanges ? request_.locations : StringList(), abortRequested_);
    // Shell objects of the thread's own apartment.
    ComPtr<IShellLinkW> shellLink;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.putVoid());
    ComPtr<IShellFolder> desktopFolder;
    SHGetDesktopFolder(desktopFolder.put());
    const std::shared_ptr<AppsFolder> appsFolder = currentAppsFolder();

    auto update = std::make_unique<Update>();
    const std::optional<IndexLoadResult> read =
        loadIndexFile(abortRequested_, request_.rescan, update->index, indexFilePath());
    if (abortRequested_) return;
    IndexLoadResult result = read.value_or(IndexLoadResult::Failed);
    ShortcutIndex fileListed;
    if (read) {
        // Shown at once with the sources without files of the file's own scan: listing them
        // afresh takes longer than the read (the Control Panel loads its libraries), so the
        // ones there now follow where they differ.
        fileListed = listedEntriesIn(update->index);
        buildAndHandOver(std::move(update));
    }
    // On a read, what changes in a folder below the locations until now is found by the
    // rescan that follows it.
    watch.watchEachFolderBelow();
    // The entries of every source without files, not only the packaged apps.
    ShortcutIndex apps = listedEntries(*appsFolder);
    if (abortRequested_) return;
    if (read) {
        if (result == IndexLoadResult::ReadFromFile && apps != fileListed) handOverFileWithListedEntries(apps);
    } else {
        // No window: the status goes through this worker, which passes it on while the bar
        // is attached, and a link resolves without any user interface.
        const ScanContext context{abortRequested_, nullptr, shellLink.get(), desktopFolder.get(), this, &apps};
        result = scanIndex(context, request_.locations, update->index, indexFilePath());
        if (abortRequested_) return;
        buildAndHandOver(std::move(update));
    }

    if (request_.followChanges || listsEntries())
        follow(watch, result == IndexLoadResult::ReadFromFile && request_.followChanges, shellLink.get(),
               desktopFolder.get(), *appsFolder, apps);
}

void CIndexKeeper::Worker::follow(CFolderWatch& watch, bool indexMayBeStale, IShellLinkW* shellLink,
                                  IShellFolder* desktopFolder, AppsFolder& appsFolder, ShortcutIndex& apps) {
    const bool listApps = listsEntries();
    const ULONGLONG interval = listingInterval;
    ULONGLONG lastRescan = GetTickCount64();
    ULONGLONG nextListing = listApps ? lastRescan + interval : Never;
    // The file may be older than changes made while no band ran.
    bool changed = indexMayBeStale;
    ULONGLONG lastChange = lastRescan;
    ULONGLONG appsListedAt = 0;
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

void CIndexKeeper::Worker::handOverFileWithListedEntries(const ShortcutIndex& listed) {
    // Read again rather than kept: a copy of a large index would delay every start, and the
    // listing rarely differs from the one the file was saved with.
    auto update = std::make_unique<Update>();
    update->background = true;
    if (loadIndexFile(abortRequested_, false, update->index, indexFilePath()) != IndexLoadResult::ReadFromFile) return;
    replaceListedEntries(update->index, listed);
    buildAndHandOver(std::move(update));
}

void CIndexKeeper::Worker::rescanInBackground(IShellLinkW* shellLink, IShellFolder* desktopFolder,
                                              const ShortcutIndex* apps) {
    if (abortRequested_) return;
    auto update = std::make_unique<Update>();
    update->background = true;
    // No status: the user goes on typing while it runs, and the thread gives way to the
    // window thread for the processor and the disk.
    const ScanContext context{abortRequested_, nullptr, shellLink, desktopFolder, nullptr, apps,
                              BackgroundYieldEvery, &lastUserInput_};
    StartMenuScanner scanner(context, update->index);
    SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_BEGIN);
    const ScanResult result = scanner.Rescan(request_.locations, indexFilePath());
    SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_END);
    if (result == ScanResult::Aborted) return;
    buildAndHandOver(std::move(update));
}

ShortcutIndex CIndexKeeper::Worker::listedEntries(AppsFolder& appsFolder) const {
    ShortcutIndex listed;
    if (request_.includePackagedApps) listed = packagedAppEntries(appsFolder.items(abortRequested_));
    if (request_.includeSettingsPages) listed.merge(settingsPageEntries());
    if (request_.includeSystemCommands) listed.merge(systemCommandEntries(*currentSystemCalls()));
    // Stopped between items: an incomplete listing is never handed over.
    if (request_.includeControlPanel)
        listed.merge(controlPanelEntries(currentControlPanelFolder()->items(abortRequested_)));
    return listed;
}

void CIndexKeeper::Worker::buildAndHandOver(std::unique_ptr<Update> update) {
    update->catalog.build(update->index);
    if (abortRequested_) return;
    handOver(std::move(update));
}

void CIndexKeeper::Worker::handOver(std::unique_ptr<Update> update) {
    std::lock_guard<std::mutex> lock(lock_);
    if (!bar_) return;
    // A newer index replaces one the bar has not taken yet; if that was the answer to the
    // bar's load, the newer one answers it.
    if (waiting_ && !waiting_->background) update->background = false;
    waiting_ = std::move(update);
    PostMessageW(bar_, readyMessage_, 0, 0);
}

void CIndexKeeper::Worker::setStatusText(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(lock_);
    if (bar_) showScanStatus(bar_, status_, text);
}

}  // namespace kest
