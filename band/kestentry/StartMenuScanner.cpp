#include "StartMenuScanner.h"
#include "EntryForms.h"
#include "IndexFile.h"
#include "ShortcutFiles.h"
#include "UniqueHandle.h"
#include <shlwapi.h>
#include <cwchar>

namespace kest {

namespace {
// Keys pressed less than this long ago count as typing going on.
constexpr ULONGLONG TypingPause = 250;
// While the user types, a background scan reads a shortcut at most every few milliseconds,
// so that most keystrokes find the system idle.
constexpr DWORD TypingStep = 8;
}  // namespace

namespace {

bool readFolderIdentity(const std::wstring& folder, DWORD& volume, DWORD& high, DWORD& low) {
    UniqueFile handle(CreateFileW(extendedLengthPath(folder).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return false;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(handle.get(), &information)) return false;
    volume = information.dwVolumeSerialNumber;
    high = information.nFileIndexHigh;
    low = information.nFileIndexLow;
    return true;
}

std::wstring joined(const std::wstring& folder, const wchar_t* name) {
    std::wstring path = folder;
    if (path.back() != L'\\') path += L'\\';
    return path + name;
}

}  // namespace

StartMenuScanner::StartMenuScanner(const ScanContext& context, ShortcutIndex& index)
    : context_(context), index_(index) {}

ScanResult StartMenuScanner::Rescan(const StringList& locations, const std::wstring& indexPath) {
    for (const std::wstring& location : locations) {
        if (aborted()) break;
        ScanFolder(location);
    }
    if (aborted()) return ScanResult::Aborted;
    if (context_.listedEntries) replaceListedEntries(index_, *context_.listedEntries);
    return saveIndex(index_, indexPath) ? ScanResult::Saved : ScanResult::SaveFailed;
}

void showScanStatus(HWND window, ScanStatusSink* status, const std::wstring& folder) {
    wchar_t text[MAX_PATH] = {};
    wcsncpy(text, folder.c_str(), MAX_PATH - 1);
    if (window) {
        RECT client = {};
        GetClientRect(window, &client);
        const int width = client.right - client.left;
        if (HDC dc = GetDC(window)) {
            PathCompactPathW(dc, text, width > 80 ? width - 80 : width);
            ReleaseDC(window, dc);
        }
    }
    if (status) status->setStatusText(text);
    if (window) InvalidateRect(window, nullptr, TRUE);
}

void StartMenuScanner::showStatus(const std::wstring& folder) {
    showScanStatus(context_.ownerWindow, context_.status, folder);
}

void StartMenuScanner::clearStatus() {
    if (context_.status) context_.status->setStatusText(std::wstring());
}

bool StartMenuScanner::enterFolder(const std::wstring& folder, std::vector<OpenFolder>& open) {
    if (folder.empty() || aborted()) return false;
    if (currentPath_.size() >= MaxFolderDepth) return false;
    FolderIdentity identity = {};
    const bool identified = readFolderIdentity(folder, identity.volume, identity.indexHigh, identity.indexLow);
    if (identified)
        for (const FolderIdentity& ancestor : currentPath_)
            if (ancestor.volume == identity.volume && ancestor.indexHigh == identity.indexHigh &&
                ancestor.indexLow == identity.indexLow)
                return false;

    showStatus(folder);
    // A folder without identity still counts toward the depth; it never matches another.
    currentPath_.push_back(identified ? identity : FolderIdentity{0, 0xFFFFFFFF, static_cast<DWORD>(currentPath_.size())});
    open.emplace_back();
    OpenFolder& entered = open.back();
    entered.path = folder;
    entered.find.reset(FindFirstFileW(extendedLengthPath(joined(folder, L"*.*")).c_str(), &entered.found));
    entered.hasItem = static_cast<bool>(entered.find);
    return true;
}

void StartMenuScanner::ScanFolder(const std::wstring& folder) {
    // Depth first without recursion: each open folder keeps its enumeration on this list,
    // so deep trees need no stack and every level is left the same way.
    std::vector<OpenFolder> open;
    if (!enterFolder(folder, open)) return;
    while (!open.empty()) {
        OpenFolder& current = open.back();
        if (!current.hasItem || aborted()) {
            open.pop_back();
            currentPath_.pop_back();
            clearStatus();
            continue;
        }
        const WIN32_FIND_DATAW found = current.found;
        const std::wstring item = joined(current.path, found.cFileName);
        current.hasItem = FindNextFileW(current.find.get(), &current.found) != FALSE;
        if (found.cFileName[0] == L'.') continue;
        const wchar_t* extension = PathFindExtensionW(found.cFileName);
        if (wcscmp(extension, L".lnk") == 0 || wcscmp(extension, L".url") == 0) {
            if (!aborted()) IndexShortcut(found.cFileName, item);
        } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !aborted()) {
            enterFolder(item, open);  // may move the list; current is not used after this
        }
    }
}

void StartMenuScanner::IndexShortcut(const std::wstring& name, const std::wstring& path) {
    if (aborted()) return;
    ShortcutEntry entry;
    if (wcscmp(PathFindExtensionW(name.c_str()), L".lnk") == 0)
        ReadLinkFile(path, entry, context_.shellLink, installer_, context_.ownerWindow);
    else
        ReadUrlFile(path, entry, context_.desktopFolder, context_.ownerWindow);
    entry.name = name;
    entry.path = path;
    if (!aborted()) index_[path] = std::move(entry);
    // A scan the user did not ask for leaves the system (and Wine's single server) free
    // between shortcuts, the more so while the user types, so that typing keeps its pace.
    if (context_.yieldEvery == 0) return;
    const bool typing = context_.lastUserInput && GetTickCount64() - context_.lastUserInput->load() < TypingPause;
    if (typing)
        Sleep(TypingStep);
    else if (index_.size() % context_.yieldEvery == 0)
        Sleep(1);
}

}  // namespace kest
