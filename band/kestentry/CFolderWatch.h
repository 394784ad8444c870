#pragma once
// Tells when files or folders are added, removed, renamed or rewritten anywhere below a set of
// folders. Windows watches a whole subtree with one change notification per folder given.
// Wine's change notifications see the folder itself only, not its subfolders: there every
// folder below is watched as well, and the set is made again after each change, so that new
// subfolders are watched too.
#include "StringListKey.h"
#include "UniqueHandle.h"
#include <atomic>
#include <vector>

namespace kest {

class CFolderWatch {
public:
    enum class Wake { Changed, Stopped, TimedOut };

    // Watches the locations at once. Setting abortRequested stops the walk through the folders
    // below them (which may be long where each folder is watched on its own); the watch then
    // sees less.
    CFolderWatch(StringList locations, const std::atomic<bool>& abortRequested);

    // Where each folder is watched on its own, walks the folders below the locations and
    // watches them too; elsewhere does nothing. Until then only changes in the locations
    // themselves are seen. Once is enough: the set is made again after each change.
    void watchEachFolderBelow();

    // Waits for a change, for stop to be signalled or for timeout milliseconds (INFINITE:
    // no limit), whichever comes first; the thread's messages are dispatched meanwhile.
    Wake wait(HANDLE stop, DWORD timeout);

    // Folders watched on their own at most: a bound on the handles a huge tree takes.
    static constexpr size_t MaxFolders = 4096;

private:
    void watchAll();
    void add(const std::wstring& folder, bool subtree);
    Wake waitChunked(HANDLE stop, DWORD timeout);
    // Re-arms the handle at position, or drops it when its folder can no longer be watched.
    void rearm(size_t position);

    StringList locations_;
    const std::atomic<bool>& abortRequested_;
    bool eachFolder_;
    bool foldersBelowWatched_ = false;
    std::vector<UniqueChangeNotification> watches_;
};

}  // namespace kest
