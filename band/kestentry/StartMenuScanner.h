#pragma once
// Builds the shortcut index from the scan locations: every ".lnk" and ".url" file below
// them, depth first, one entry per shortcut file under its full path.
#include "ScanContext.h"
#include "ShortcutEntry.h"
#include "StringListKey.h"
#include "UniqueHandle.h"
#include "WindowsInstaller.h"
#include <string>
#include <vector>

namespace kest {

// Shows folder as the status of a scan: compacted to window's width when there is a window,
// passed to status (may be null), and window invalidated.
void showScanStatus(HWND window, ScanStatusSink* status, const std::wstring& folder);

enum class ScanResult {
    Saved,        // every location was scanned and the index file written
    SaveFailed,   // every location was scanned; the index file could not be written (traced)
    Aborted,      // abortRequested stopped the scan; the index file was left as it was
};

class StartMenuScanner {
public:
    // Adds to index, which the caller owns and passes empty; context outlives the scanner.
    StartMenuScanner(const ScanContext& context, ShortcutIndex& index);

    // Scans every location in order, puts the context's listed entries in place, then saves the index
    // to indexPath unless the scan was stopped, so a partial result never replaces the file.
    ScanResult Rescan(const StringList& locations, const std::wstring& indexPath);
    // Indexes one folder and, recursively, its subfolders. A folder already on the
    // current path (a junction or link to an ancestor) is not entered again.
    void ScanFolder(const std::wstring& folder);
    // Builds and stores the entry of one shortcut file.
    void IndexShortcut(const std::wstring& name, const std::wstring& path);

    // Deeper folders are not entered even when their identity cannot be read. The walk keeps
    // its open folders on the heap, so the depth costs no stack; a path this deep is beyond
    // what the file system takes anyway.
    static constexpr size_t MaxFolderDepth = 4096;

private:
    struct FolderIdentity {
        DWORD volume;
        DWORD indexHigh;
        DWORD indexLow;
    };
    // One folder being enumerated: its path, its enumeration and the next item found.
    struct OpenFolder {
        std::wstring path;
        UniqueFindHandle find;
        WIN32_FIND_DATAW found = {};
        bool hasItem = false;
    };
    // Shows the folder and opens its enumeration on top of open; false when it is not
    // entered (empty, stopped, too deep, or already on the current path).
    bool enterFolder(const std::wstring& folder, std::vector<OpenFolder>& open);
    bool aborted() const { return context_.abortRequested.load(); }
    void showStatus(const std::wstring& folder);
    void clearStatus();

    const ScanContext& context_;
    ShortcutIndex& index_;
    WindowsInstaller installer_;
    std::vector<FolderIdentity> currentPath_;
};

}  // namespace kest
