// Builds a Start Menu of 2,000 shortcuts in 100 folders under the temporary folder, then
// prints the time of a cold and a warm scan, of saving the index and of loading it back
// (file to index) for 2,000 and for 20,000 entries, and how a bar over that Start Menu
// follows changes on disk (FollowBench).
#include "Bstr.h"
#include "ComPtr.h"
#include "DocumentFileLoad.h"
#include "FollowBench.h"
#include "XmlConventions.h"
#include "kestentry/IndexFile.h"
#include "kestentry/StartMenuScanner.h"
#include <shlobj.h>
#include <cstdio>
#include <string>

using namespace kest;

namespace {

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(folder + L"\\" + name);
            else DeleteFileW((folder + L"\\" + name).c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

bool buildMenu(const std::wstring& root, int folders, int perFolder) {
    CreateDirectoryW(root.c_str(), nullptr);
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid())))
        return false;
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    link->SetPath((std::wstring(system) + L"\\notepad.exe").c_str());
    link->SetArguments(L"/p readme.txt");
    link->SetWorkingDirectory(system);
    ComPtr<IPersistFile> file = link.query<IPersistFile>();
    if (!file) return false;
    for (int f = 0; f < folders; ++f) {
        const std::wstring folder = root + L"\\Program " + std::to_wstring(f);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int s = 0; s < perFolder; ++s)
            if (FAILED(file->Save((folder + L"\\Shortcut " + std::to_wstring(s) + L".lnk").c_str(), TRUE))) return false;
    }
    return true;
}

bool loadIndex(const std::wstring& path, ShortcutIndex& index, double& parseSeconds) {
    const std::atomic<bool> abortRequested{false};
    const double start = now();
    ComPtr<IXMLDOMDocument> document = createXmlDocument();
    if (!document) return false;
    if (!loadDocumentFile(document.get(), path)) return false;
    parseSeconds = now() - start;
    return readIndex(document.get(), index, abortRequested) == IndexReadResult::Read;
}

void report(const char* what, size_t entries, double seconds) {
    std::printf("%-28s %6zu entries  %8.1f ms  %9.0f entries/s\n", what, entries, seconds * 1000.0,
                seconds > 0 ? static_cast<double>(entries) / seconds : 0.0);
}

}  // namespace

int main() {
    ComInitialization com;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"kest-indexbench";
    removeTree(root);
    std::printf("building a Start Menu of 2000 shortcuts in 100 folders...\n");
    CreateDirectoryW(root.c_str(), nullptr);
    if (!buildMenu(root + L"\\Start Menu", 100, 20)) {
        std::printf("could not create the shortcuts\n");
        return 1;
    }
    ComPtr<IShellLinkW> shellLink;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.putVoid());
    ComPtr<IShellFolder> desktop;
    SHGetDesktopFolder(desktop.put());
    const std::atomic<bool> abortRequested{false};
    ScanContext context{abortRequested};
    context.shellLink = shellLink.get();
    context.desktopFolder = desktop.get();

    const std::wstring file2k = root + L"\\mapdata-2000.xml";
    const std::wstring file20k = root + L"\\mapdata-20000.xml";
    ShortcutIndex scanned;
    double scanSeconds = 0;
    for (int pass = 0; pass < 2; ++pass) {
        scanned.clear();
        StartMenuScanner scanner(context, scanned);
        const double start = now();
        scanner.ScanFolder(root + L"\\Start Menu");
        scanSeconds = now() - start;
        report(pass == 0 ? "scan (cold)" : "scan (warm)", scanned.size(), scanSeconds);
    }

    double start = now();
    if (!saveIndex(scanned, file2k)) return 1;
    report("save", scanned.size(), now() - start);

    ShortcutIndex large;
    for (int copy = 0; copy < 10; ++copy)
        for (const auto& item : scanned) {
            ShortcutEntry entry = item.second;
            entry.path = L"C:\\Copy " + std::to_wstring(copy) + entry.path.substr(2);
            large[entry.path] = entry;
        }
    start = now();
    if (!saveIndex(large, file20k)) return 1;
    report("save", large.size(), now() - start);

    double load2k = 0, load20k = 0, parse = 0;
    for (int pass = 0; pass < 3; ++pass) {
        ShortcutIndex read;
        start = now();
        if (!loadIndex(file2k, read, parse) || read != scanned) return 1;
        const double seconds = now() - start;
        if (pass == 0 || seconds < load2k) load2k = seconds;
    }
    report("load (best of 3)", scanned.size(), load2k);
    std::printf("%-28s %6zu entries  %8.1f ms\n", "  of which the DOM's parse", scanned.size(), parse * 1000.0);
    for (int pass = 0; pass < 3; ++pass) {
        ShortcutIndex read;
        start = now();
        if (!loadIndex(file20k, read, parse) || read != large) return 1;
        const double seconds = now() - start;
        if (pass == 0 || seconds < load20k) load20k = seconds;
    }
    report("load (best of 3)", large.size(), load20k);
    std::printf("%-28s %6zu entries  %8.1f ms\n", "  of which the DOM's parse", large.size(), parse * 1000.0);

    std::printf("warm scan / load of 2000: %.1f (target at least 4)\n", load2k > 0 ? scanSeconds / load2k : 0.0);
    std::printf("load 20000 / load 2000:   %.1f (target at most 12)\n", load2k > 0 ? load20k / load2k : 0.0);
    const int status = runFollowBench(root + L"\\Start Menu", root + L"\\Start Menu\\Program 0\\Shortcut 0.lnk");
    removeTree(root);
    return status;
}
