// The disk under hostile content: corrupt and truncated ".lnk" files, ".url" files without
// an address or with a huge one, folders nested 200 deep, a folder cycle, paths longer than
// 260 characters, locations that vanish during a scan, a missing or read-only data folder
// and a full disk. Every shortcut file the scan can reach is stored, and a save that cannot
// complete leaves the old index file as it was.
#include "RobustnessSupport.h"
#include "IndexTestSupport.h"
#include "ComPtr.h"
#include "DocumentReplaceSave.h"
#include "history/HistoryMap.h"
#include "kestentry/IndexFile.h"
#include "kestentry/IndexLoader.h"
#include "kestentry/ShortcutFiles.h"
#include "kestentry/StartMenuScanner.h"
#include <shlobj.h>
#include <atomic>
#include <set>
#include <thread>

namespace robust {
namespace {

using kest::extendedLengthPath;
using kest::test::readBytes;
using kest::test::writeBytes;

std::wstring currentFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

bool createFolder(const std::wstring& path) {
    return CreateDirectoryW(extendedLengthPath(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    HANDLE find = FindFirstFileW(extendedLengthPath(folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring item = folder + L"\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                removeTree(item);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(extendedLengthPath(item).c_str());
            else {
                SetFileAttributesW(extendedLengthPath(item).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(extendedLengthPath(item).c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(extendedLengthPath(folder).c_str());
}

class DiskAttack : public ::testing::Test {
protected:
    void SetUp() override {
        if (!inChild()) GTEST_SKIP() << "runs in the child process of Robustness.Disk";
        ASSERT_TRUE(SUCCEEDED(com.result()));
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.putVoid());
        SHGetDesktopFolder(desktop.put());
        ASSERT_TRUE(shellLink && desktop);
        target = kest::test::systemFolder() + L"\\notepad.exe";
        ASSERT_TRUE(kest::test::fileExists(target));
        kest::test::LinkFields fields;
        fields.target = target;
        fields.arguments = L"/robust";
        const std::wstring templatePath = work / L"template.lnk";
        ASSERT_TRUE(kest::test::writeLink(templatePath, fields));
        linkBytes = readBytes(templatePath);
        ASSERT_FALSE(linkBytes.empty());
        DeleteFileW(templatePath.c_str());
        dataFolder = work / L"data";
        indexPath = dataFolder + L"\\mapdata.xml";
    }

    struct Scan {
        kest::IndexLoadResult result;
        kest::ShortcutIndex index;
    };
    Scan scan(const kest::StringList& locations, const std::wstring& path) {
        kest::ScanContext context{abort, nullptr, shellLink.get(), desktop.get(), nullptr};
        Scan done;
        done.result = kest::loadOrScanIndex(context, locations, true, done.index, path);
        return done;
    }

    // A fresh scan location with its expected shortcut paths collected by the kinds below.
    std::wstring freshLocation() {
        const std::wstring location = work / L"scan";
        removeTree(location);
        createFolder(location);
        expected.clear();
        return location;
    }
    void addLink(const std::wstring& path, const std::string& bytes) {
        EXPECT_TRUE(writeBytes(path, bytes));
        expected.insert(path);
    }
    void addUrl(const std::wstring& path, const std::string& bytes) { addLink(path, bytes); }

    // Every expected shortcut is stored; nothing else is.
    int checkIndex(const std::string& where, const Scan& done) {
        int lost = 0;
        for (const std::wstring& path : expected)
            if (done.index.count(path) == 0) ++lost;
        for (const auto& [path, entry] : done.index)
            if (expected.count(path) == 0) reportWrong(where + ": stored a path never written: " + narrow(path));
        if (lost > 0) reportWrong(where + ": " + std::to_string(lost) + " of " + std::to_string(expected.size()) + " shortcuts not stored");
        return lost;
    }

    std::string mutatedLink(std::mt19937_64& random) {
        std::string bytes = linkBytes;
        switch (pick(random, 0, 4)) {
        case 0: return bytes.substr(0, static_cast<size_t>(pick(random, 0, bytes.size() - 1)));
        case 1:
            for (int i = static_cast<int>(pick(random, 1, 16)); i > 0; --i)
                bytes[static_cast<size_t>(pick(random, 0, bytes.size() - 1))] = static_cast<char>(pick(random, 0, 255));
            return bytes;
        case 2: return randomBytes(random, static_cast<size_t>(pick(random, 0, 2048)));
        case 3: return bytes.substr(0, 76) + randomBytes(random, static_cast<size_t>(pick(random, 0, 4096)));
        default: return randomBytes(random, static_cast<size_t>(pick(random, 1 << 16, 1 << 20)));
        }
    }

    int corruptLinks(std::uint64_t input, std::mt19937_64& random);
    int urlFiles(std::uint64_t input, std::mt19937_64& random);
    int deepFolders(std::uint64_t input, std::mt19937_64& random);
    int folderCycle(std::uint64_t input, std::mt19937_64& random);
    int longPaths(std::uint64_t input, std::mt19937_64& random);
    int vanishingLocations(std::uint64_t input, std::mt19937_64& random);
    int missingDataFolder(std::uint64_t input, std::mt19937_64& random);
    int fullDisk(std::uint64_t input, std::mt19937_64& random);

    kest::ComInitialization com;
    kest::test::TemporaryFolder work;
    std::atomic<bool> abort{false};
    kest::ComPtr<IShellLinkW> shellLink;
    kest::ComPtr<IShellFolder> desktop;
    std::wstring target, dataFolder, indexPath;
    std::string linkBytes;
    std::set<std::wstring> expected;
};

int DiskAttack::corruptLinks(std::uint64_t input, std::mt19937_64& random) {
    const std::wstring location = freshLocation();
    createFolder(dataFolder);
    const std::wstring valid = location + L"\\Valid.lnk";
    addLink(valid, linkBytes);
    for (int i = static_cast<int>(pick(random, 3, 12)); i > 0; --i)
        addLink(location + L"\\Bad" + std::to_wstring(i) + L".lnk", mutatedLink(random));
    const Scan done = scan({location}, indexPath);
    const std::string where = "input " + std::to_string(input) + " (corrupt links)";
    if (done.result != kest::IndexLoadResult::Scanned) reportWrong(where + ": not scanned and saved");
    int lost = checkIndex(where, done);
    const auto found = done.index.find(valid);
    if (found == done.index.end() || kest::test::shortPath(found->second.executable) != kest::test::shortPath(target) ||
        found->second.arguments != L"/robust")
        ++lost;
    return lost;
}

int DiskAttack::urlFiles(std::uint64_t input, std::mt19937_64& random) {
    const std::wstring location = freshLocation();
    createFolder(dataFolder);
    const std::wstring valid = location + L"\\Valid.url";
    addUrl(valid, "[InternetShortcut]\r\nURL=http://valid.example/\r\n");
    std::wstring hugeUrl;
    for (int i = static_cast<int>(pick(random, 3, 10)); i > 0; --i) {
        const std::wstring path = location + L"\\Bad" + std::to_wstring(i) + L".url";
        switch (pick(random, 0, 5)) {
        case 0: addUrl(path, "[InternetShortcut]\r\nIconIndex=0\r\n"); break;
        case 1: addUrl(path, ""); break;
        case 2: addUrl(path, randomBytes(random, static_cast<size_t>(pick(random, 1, 4096)))); break;
        case 3: addUrl(path, "URL=http://no.section.example/\r\n"); break;
        case 4: {
            const std::string address = "http://huge.example/" + std::string(static_cast<size_t>(pick(random, 5000, 200000)), 'a');
            addUrl(path, "[InternetShortcut]\r\nURL=" + address + "\r\n");
            break;
        }
        default: addUrl(path, "[InternetShortcut]\r\nURL=" + randomBytes(random, static_cast<size_t>(pick(random, 1, 600))) + "\r\n"); break;
        }
    }
    const Scan done = scan({location}, indexPath);
    const std::string where = "input " + std::to_string(input) + " (url files)";
    if (done.result != kest::IndexLoadResult::Scanned) reportWrong(where + ": not scanned and saved");
    int lost = checkIndex(where, done);
    const auto found = done.index.find(valid);
    if (found == done.index.end() || found->second.executable != L"http://valid.example/") ++lost;
    // The saved index reads back whole, whatever the addresses held.
    kest::ShortcutIndex reread;
    kest::ScanContext context{abort, nullptr, shellLink.get(), desktop.get(), nullptr};
    if (kest::loadOrScanIndex(context, {}, false, reread, indexPath) != kest::IndexLoadResult::ReadFromFile ||
        reread.size() != done.index.size())
        reportWrong(where + ": the saved index does not read back");
    return lost;
}

int DiskAttack::deepFolders(std::uint64_t input, std::mt19937_64& random) {
    // 200 levels once per 80 inputs (each level costs a folder and its enumeration).
    static const size_t depths[] = {10, 30, 60, 129};
    const size_t depth = input % 80 == 2 ? 200 : depths[pick(random, 0, 3)];
    std::wstring folder = freshLocation();
    const std::wstring location = folder;
    createFolder(dataFolder);
    for (size_t level = 0; level < depth; ++level) {
        folder += L"\\d" + std::to_wstring(level % 10);
        if (!createFolder(folder)) break;
        if (level % 7 == 0 || level + 1 == depth) addUrl(folder + L"\\At" + std::to_wstring(level) + L".url",
                                                         "[InternetShortcut]\r\nURL=http://deep.example/\r\n");
    }
    const Scan done = scan({location}, indexPath);
    const std::string where = "input " + std::to_string(input) + " (folders " + std::to_string(depth) + " deep)";
    if (done.result != kest::IndexLoadResult::Scanned) reportWrong(where + ": not scanned and saved");
    return checkIndex(where, done);
}

int DiskAttack::folderCycle(std::uint64_t input, std::mt19937_64&) {
    // "robustness-cycle\sub\loop" is a symbolic link to "..", made by the test fixture.
    const std::wstring cycle = currentFolder() + L"\\robustness-cycle";
    if (GetFileAttributesW((cycle + L"\\sub\\loop").c_str()) == INVALID_FILE_ATTRIBUTES) {
        static bool told = false;
        if (!told) recordLine("[figures]   Disk: no folder-cycle fixture here; the cycle inputs scan without it");
        told = true;
    }
    expected.clear();
    createFolder(dataFolder);
    addUrl(cycle + L"\\Top.url", "[InternetShortcut]\r\nURL=http://top.example/\r\n");
    createFolder(cycle + L"\\sub");
    addUrl(cycle + L"\\sub\\Inner.url", "[InternetShortcut]\r\nURL=http://inner.example/\r\n");
    const Scan done = scan({cycle}, indexPath);
    const std::string where = "input " + std::to_string(input) + " (folder cycle)";
    if (done.result != kest::IndexLoadResult::Scanned) reportWrong(where + ": not scanned and saved");
    return checkIndex(where, done);
}

int DiskAttack::longPaths(std::uint64_t input, std::mt19937_64& random) {
    std::wstring folder = freshLocation();
    const std::wstring location = folder;
    createFolder(dataFolder);
    for (int level = static_cast<int>(pick(random, 2, 5)); level > 0; --level) {
        folder += L"\\" + std::wstring(static_cast<size_t>(pick(random, 60, 200)), static_cast<wchar_t>(L'a' + level));
        createFolder(folder);
        addUrl(folder + L"\\Long" + std::to_wstring(level) + L".url", "[InternetShortcut]\r\nURL=http://long.example/\r\n");
        addLink(folder + L"\\Long" + std::to_wstring(level) + L".lnk", linkBytes);
    }
    const Scan done = scan({location}, indexPath);
    const std::string where = "input " + std::to_string(input) + " (long paths)";
    if (done.result != kest::IndexLoadResult::Scanned) reportWrong(where + ": not scanned and saved");
    const int lost = checkIndex(where, done);
    kest::ShortcutIndex reread;
    kest::ScanContext context{abort, nullptr, shellLink.get(), desktop.get(), nullptr};
    if (kest::loadOrScanIndex(context, {}, false, reread, indexPath) != kest::IndexLoadResult::ReadFromFile ||
        reread != done.index)
        reportWrong(where + ": the saved index does not read back");
    return lost;
}

int DiskAttack::vanishingLocations(std::uint64_t input, std::mt19937_64& random) {
    const std::wstring location = freshLocation();
    createFolder(dataFolder);
    std::vector<std::wstring> folders;
    for (int f = 0; f < 20; ++f) {
        const std::wstring folder = location + L"\\f" + std::to_wstring(f);
        createFolder(folder);
        folders.push_back(folder);
        for (int s = 0; s < 10; ++s)
            addUrl(folder + L"\\S" + std::to_wstring(s) + L".url", "[InternetShortcut]\r\nURL=http://vanish.example/\r\n");
    }
    // Locations that are not folders at all come along.
    kest::StringList locations = {L"", location + L"\\missing", location + L"\\f0\\S0.url", L"Q:\\no\\such\\drive",
                                  std::wstring(1000, L'x'), location};
    std::shuffle(folders.begin(), folders.end(), random);
    std::atomic<bool> started{false};
    std::thread remover([&] {
        started = true;
        for (const std::wstring& folder : folders) removeTree(folder);
    });
    while (!started) Sleep(0);
    const Scan done = scan(locations, indexPath);
    remover.join();
    const std::string where = "input " + std::to_string(input) + " (vanishing locations)";
    if (done.result != kest::IndexLoadResult::Scanned) reportWrong(where + ": not scanned and saved");
    // What vanished may be missing; nothing may be invented.
    for (const auto& [path, entry] : done.index)
        if (expected.count(path) == 0) reportWrong(where + ": stored a path never written: " + narrow(path));
    return 0;
}

int DiskAttack::missingDataFolder(std::uint64_t input, std::mt19937_64& random) {
    const std::wstring location = freshLocation();
    for (int i = 0; i < 5; ++i) addUrl(location + L"\\U" + std::to_wstring(i) + L".url", "[InternetShortcut]\r\nURL=http://x.example/\r\n");
    const std::string where = "input " + std::to_string(input) + " (data folder)";
    removeTree(dataFolder);
    int lost = 0;
    switch (pick(random, 0, 3)) {
    case 0: {  // missing: the save makes it (an account the setup program did not run for)
        const Scan done = scan({location}, indexPath);
        if (done.result != kest::IndexLoadResult::Scanned) reportWrong(where + ": not saved into a missing folder");
        lost += checkIndex(where, done);
        break;
    }
    case 1:
    case 2: {  // a read-only file, or a folder where the index file or its temporary file should be
        createFolder(dataFolder);
        const Scan first = scan({location}, indexPath);
        const std::string old = readBytes(indexPath);
        addUrl(location + L"\\Added.url", "[InternetShortcut]\r\nURL=http://added.example/\r\n");
        const bool readOnly = pick(random, 0, 1) == 0;
        if (readOnly) SetFileAttributesW(indexPath.c_str(), FILE_ATTRIBUTE_READONLY);
        else createFolder(kest::replaceSaveTemporaryPath(indexPath));
        const Scan done = scan({location}, indexPath);
        lost += checkIndex(where, done);
        const std::string now = readBytes(indexPath);
        if (done.result == kest::IndexLoadResult::ScannedNotSaved && now != old)
            reportWrong(where + ": a failed save changed the file");
        if (done.result == kest::IndexLoadResult::Scanned && now == old) reportWrong(where + ": a save reported but not done");
        if (first.result != kest::IndexLoadResult::Scanned) reportWrong(where + ": the first save failed");
        SetFileAttributesW(indexPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryW(kest::replaceSaveTemporaryPath(indexPath).c_str());
        break;
    }
    default: {  // the index file name taken by a folder
        createFolder(dataFolder);
        createFolder(indexPath);
        const Scan done = scan({location}, indexPath);
        if (done.result != kest::IndexLoadResult::ScannedNotSaved) reportWrong(where + ": saved over a folder");
        lost += checkIndex(where, done);
        RemoveDirectoryW(indexPath.c_str());
        break;
    }
    }
    return lost;
}

// The full-disk fixture: a small file system mounted at "robustness-fulldisk" beside the
// test program, when the machine allows mounting one.
std::wstring smallDisk() {
    const std::wstring folder = currentFolder() + L"\\robustness-fulldisk\\";
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, &total, &free) || total.QuadPart == 0 ||
        total.QuadPart > (4u << 20))
        return std::wstring();
    return folder;
}

// Fills the disk, then frees up to spare bytes; returns the filler, to be removed.
std::wstring fillDisk(const std::wstring& disk, size_t spare) {
    const std::wstring filler = disk + L"filler.bin";
    kest::UniqueFile file(CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return filler;
    const std::string block(4096, 'f');
    DWORD written = 0;
    LONGLONG size = 0;
    while (WriteFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written > 0)
        size += written;
    LARGE_INTEGER end;
    end.QuadPart = size > static_cast<LONGLONG>(spare) ? size - static_cast<LONGLONG>(spare) : 0;
    SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN);
    SetEndOfFile(file.get());
    return filler;
}

int DiskAttack::fullDisk(std::uint64_t input, std::mt19937_64& random) {
    const std::wstring disk = smallDisk();
    if (disk.empty()) {
        static bool told = false;
        if (!told) recordLine("[figures]   Disk: no small file system mounted here; the full-disk inputs are skipped");
        told = true;
        return 0;
    }
    const std::wstring location = freshLocation();
    for (int i = 0; i < 3; ++i) addUrl(location + L"\\Old" + std::to_wstring(i) + L".url", "[InternetShortcut]\r\nURL=http://old.example/\r\n");
    const std::wstring path = disk + L"mapdata.xml";
    DeleteFileW(path.c_str());
    const Scan first = scan({location}, path);
    const std::string old = readBytes(path);
    const std::string where = "input " + std::to_string(input) + " (full disk)";
    if (first.result != kest::IndexLoadResult::Scanned || old.empty()) {
        reportWrong(where + ": the first save did not fit");
        return 0;
    }
    // Enough new entries that the new file does not fit in what is left.
    for (int i = 0; i < 60; ++i)
        addUrl(location + L"\\New" + std::to_wstring(i) + std::wstring(100, L'n') + L".url",
               "[InternetShortcut]\r\nURL=http://new.example/\r\n");
    const std::wstring filler = fillDisk(disk, static_cast<size_t>(pick(random, 0, 12000)));
    const Scan done = scan({location}, path);
    DeleteFileW(filler.c_str());
    int lost = checkIndex(where, done);
    const std::string now = readBytes(path);
    if (done.result == kest::IndexLoadResult::ScannedNotSaved) {
        if (now != old) {
            reportWrong(where + ": a save that ran out of space changed the old file");
            ++lost;
        }
    } else if (done.result == kest::IndexLoadResult::Scanned) {
        kest::ShortcutIndex reread;
        kest::ScanContext context{abort, nullptr, shellLink.get(), desktop.get(), nullptr};
        if (kest::loadOrScanIndex(context, {}, false, reread, path) != kest::IndexLoadResult::ReadFromFile || reread != done.index) {
            reportWrong(where + ": a save reported complete is not");
            ++lost;
        }
    } else {
        reportWrong(where + ": unexpected result");
    }
    // Nothing of the save is left behind on the disk.
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((disk + L"*.tmp").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        reportWrong(where + ": a temporary file was left on the full disk");
        DeleteFileW((disk + found.cFileName).c_str());
    }
    DeleteFileW(path.c_str());
    return lost;
}

TEST_F(DiskAttack, Disk) {
    runInputs(80ull * scale(), [&](std::uint64_t input) {
        std::mt19937_64 random = inputGenerator("disk", input);
        switch (input % 8) {
        case 0: return corruptLinks(input, random);
        case 1: return urlFiles(input, random);
        case 2: return deepFolders(input, random);
        case 3: return folderCycle(input, random);
        case 4: return longPaths(input, random);
        case 5: return vanishingLocations(input, random);
        case 6: return missingDataFolder(input, random);
        default: return fullDisk(input, random);
        }
    });
}

TEST(Robustness, Disk) {
    const Figures figures = runSurface("Disk", 80ull * scale());
    EXPECT_EQ(0, figures.crashes);
    EXPECT_EQ(0, figures.hangs);
    EXPECT_EQ(0, figures.lost);
    EXPECT_EQ(0, figures.wrong);
    EXPECT_EQ(80ull * scale(), figures.inputs);
}

}  // namespace
}  // namespace robust
