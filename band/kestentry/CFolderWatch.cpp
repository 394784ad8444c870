#include "CFolderWatch.h"
#include "MessageWait.h"
#include <algorithm>

namespace kest {

namespace {

constexpr DWORD WatchedChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
// How often handles beyond what one wait takes are looked at.
constexpr DWORD PollInterval = 100;

bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace

CFolderWatch::CFolderWatch(StringList locations, const std::atomic<bool>& abortRequested)
    : locations_(std::move(locations)), abortRequested_(abortRequested), eachFolder_(underWine()) {
    for (const std::wstring& location : locations_) add(location, true);
}

void CFolderWatch::watchAll() {
    watches_.clear();
    foldersBelowWatched_ = false;
    for (const std::wstring& location : locations_) add(location, true);
    watchEachFolderBelow();
}

void CFolderWatch::watchEachFolderBelow() {
    if (!eachFolder_ || foldersBelowWatched_) return;
    foldersBelowWatched_ = true;
    // Every folder below the locations, breadth first; links to other folders are not
    // followed, so a junction to an ancestor cannot make the walk endless.
    std::vector<std::wstring> folders(locations_.begin(), locations_.end());
    for (size_t next = 0; next < folders.size() && watches_.size() < MaxFolders && !abortRequested_; ++next) {
        WIN32_FIND_DATAW found{};
        UniqueFindHandle find(FindFirstFileW((folders[next] + L"\\*").c_str(), &found));
        if (!find) continue;
        do {
            const std::wstring name = found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || name == L"." || name == L"..")
                continue;
            folders.push_back(folders[next] + L"\\" + name);
            add(folders.back(), false);
        } while (watches_.size() < MaxFolders && !abortRequested_ && FindNextFileW(find.get(), &found));
    }
}

void CFolderWatch::add(const std::wstring& folder, bool subtree) {
    UniqueChangeNotification watch(FindFirstChangeNotificationW(folder.c_str(), subtree, WatchedChanges));
    if (watch) watches_.push_back(std::move(watch));
}

void CFolderWatch::rearm(size_t position) {
    if (!FindNextChangeNotification(watches_[position].get())) watches_.erase(watches_.begin() + static_cast<std::ptrdiff_t>(position));
}

CFolderWatch::Wake CFolderWatch::wait(HANDLE stop, DWORD timeout) {
    // The wait takes stop and the watches; the message queue takes one of its places.
    if (watches_.size() >= MAXIMUM_WAIT_OBJECTS - 1) return waitChunked(stop, timeout);
    std::vector<HANDLE> handles{stop};
    for (const UniqueChangeNotification& watch : watches_) handles.push_back(watch.get());
    const DWORD woke = waitDispatchingMessages(handles.data(), static_cast<DWORD>(handles.size()), timeout);
    if (woke == WAIT_TIMEOUT) return Wake::TimedOut;
    if (woke <= WAIT_OBJECT_0 || woke >= WAIT_OBJECT_0 + handles.size()) return Wake::Stopped;
    if (eachFolder_)
        watchAll();
    else
        rearm(woke - WAIT_OBJECT_0 - 1);
    return Wake::Changed;
}

CFolderWatch::Wake CFolderWatch::waitChunked(HANDLE stop, DWORD timeout) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        for (size_t first = 0; first < watches_.size(); first += MAXIMUM_WAIT_OBJECTS) {
            std::vector<HANDLE> handles;
            for (size_t i = first; i < watches_.size() && handles.size() < MAXIMUM_WAIT_OBJECTS; ++i)
                handles.push_back(watches_[i].get());
            const DWORD woke = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, 0);
            if (woke >= WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + handles.size()) {
                if (eachFolder_)
                    watchAll();
                else
                    rearm(first + (woke - WAIT_OBJECT_0));
                return Wake::Changed;
            }
        }
        const ULONGLONG waited = GetTickCount64() - start;
        if (timeout != INFINITE && waited >= timeout) return Wake::TimedOut;
        const DWORD slice = timeout == INFINITE ? PollInterval : static_cast<DWORD>(std::min<ULONGLONG>(PollInterval, timeout - waited));
        if (waitDispatchingMessages(&stop, 1, slice) != WAIT_TIMEOUT) return Wake::Stopped;
    }
}

}  // namespace kest
