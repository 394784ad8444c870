#include "IndexTestSupport.h"
#include "UniqueHandle.h"
#include "kestentry/IndexFile.h"
#include "kestentry/ShortcutFiles.h"
#include "kestentry/StartMenuScanner.h"
#include <gtest/gtest.h>
#include <cstring>
#include <cwctype>
#include <functional>
#include <vector>

using namespace kest;
using namespace kest::test;

namespace {

class RecordingSink : public ScanStatusSink {
public:
    std::vector<std::wstring> texts;
    std::function<void(const std::wstring&)> onText;
    void setStatusText(const std::wstring& text) override {
        texts.push_back(text);
        if (onText) onText(text);
    }
};

class StartMenuScannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         shellLink.putVoid()));
        ASSERT_EQ(S_OK, SHGetDesktopFolder(desktopFolder.put()));
        context.shellLink = shellLink.get();
        context.desktopFolder = desktopFolder.get();
        context.status = &sink;
    }

    ShortcutIndex scan(const StringList& locations) {
        ShortcutIndex index;
        StartMenuScanner scanner(context, index);
        result = scanner.Rescan(locations, indexFile);
        return index;
    }
    std::wstring notepad() const { return systemFolder() + L"\\notepad.exe"; }

    ComInitialization com;
    TemporaryFolder menu;
    TemporaryFolder data;
    std::wstring indexFile = data / L"mapdata.xml";
    std::atomic<bool> abortRequested{false};
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IShellFolder> desktopFolder;
    RecordingSink sink;
    ScanContext context{abortRequested};
    ScanResult result = ScanResult::Aborted;
};

TEST_F(StartMenuScannerTest, LinkGivesTargetArgumentsFolderShowCommandAndIcon) {
    createFolders(menu / L"Programs\\Accessories");
    const std::wstring link = menu / L"Programs\\Accessories\\Notepad.lnk";
    LinkFields fields;
    fields.target = notepad();
    fields.arguments = L"/p readme.txt";
    fields.workingdir = systemFolder();
    fields.iconlocation = systemFolder() + L"\\shell32.dll";
    fields.iconindex = 5;
    fields.showcmd = SW_SHOWMAXIMIZED;
    ASSERT_TRUE(writeLink(link, fields));

    ShortcutIndex index = scan({menu.path()});
    EXPECT_EQ(ScanResult::Saved, result);
    ASSERT_EQ(1u, index.size());
    const ShortcutEntry& entry = index.begin()->second;
    EXPECT_EQ(link, index.begin()->first);
    EXPECT_EQ(L"Notepad.lnk", entry.name);
    EXPECT_EQ(link, entry.path);
    EXPECT_EQ(notepad(), entry.executable);
    EXPECT_EQ(L"/p readme.txt", entry.arguments);
    EXPECT_EQ(systemFolder(), entry.workingdir);
    EXPECT_EQ(fields.iconlocation, entry.iconlocation);
    EXPECT_EQ(5, entry.iconindex);
    // Wine reads a saved show command back as 1.
    EXPECT_EQ(runningOnWine() ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED, entry.showcmd);
}

TEST_F(StartMenuScannerTest, UrlFileGivesItsAddress) {
    ASSERT_TRUE(writeUrlFile(menu / L"Kestrune Home.url", L"http://example.com/kestrune?a=1&b=2"));
    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(1u, index.size());
    const ShortcutEntry& entry = index.begin()->second;
    EXPECT_EQ(L"Kestrune Home.url", entry.name);
    EXPECT_EQ(L"http://example.com/kestrune?a=1&b=2", entry.executable);
    EXPECT_EQ(L"", entry.arguments);
    EXPECT_EQ(1, entry.showcmd);
    EXPECT_EQ(-1, entry.iconindex);
}

TEST_F(StartMenuScannerTest, EachUrlStepGivesTheAddressOrNothing) {
    const std::wstring file = menu / L"site.url";
    ASSERT_TRUE(writeUrlFile(file, L"http://example.org/"));
    std::wstring fromStorage, fromProperties, fromObject;
    const bool storage = readUrlFromShellStorage(file, desktopFolder.get(), nullptr, fromStorage);
    const bool properties = readUrlFromShortcutProperties(file, fromProperties);
    EXPECT_TRUE(readUrlFromShortcutObject(file, fromObject));
    EXPECT_EQ(L"http://example.org/", fromObject);
    if (storage) {
        EXPECT_EQ(L"http://example.org/", fromStorage);
    }
    if (properties) {
        EXPECT_EQ(L"http://example.org/", fromProperties);
    }
    // Wine: BindToStorage answers E_NOTIMPL and the property set lacks PID_IS_URL.
    if (runningOnWine()) {
        EXPECT_FALSE(storage);
        EXPECT_FALSE(properties);
    } else {
        EXPECT_TRUE(storage);
    }
}

TEST_F(StartMenuScannerTest, UnreadableUrlFileIsStoredWithoutAddress) {
    ASSERT_TRUE(writeBytes(menu / L"empty.url", "not an internet shortcut"));
    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(L"", index.begin()->second.executable);
}

TEST_F(StartMenuScannerTest, ExtensionsAreCaseSensitiveAndShortcutFoldersAreNotEntered) {
    LinkFields fields;
    fields.target = notepad();
    ASSERT_TRUE(writeLink(menu / L"README.LNK", fields));
    ASSERT_TRUE(writeUrlFile(menu / L"Site.URL", L"http://example.com/"));
    createFolders(menu / L"Old.lnk");
    ASSERT_TRUE(writeLink(menu / L"Old.lnk\\inside.lnk", fields));
    ASSERT_TRUE(writeLink(menu / L"notes.txt", fields));

    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(1u, index.size());
    const ShortcutEntry& entry = index.begin()->second;
    EXPECT_EQ(menu / L"Old.lnk", entry.path);
    EXPECT_EQ(L"Old.lnk", entry.name);
    EXPECT_EQ(L"", entry.executable);
    EXPECT_EQ(L"", entry.workingdir);
    EXPECT_EQ(1, entry.showcmd);
    EXPECT_EQ(-1, entry.iconindex);
}

TEST_F(StartMenuScannerTest, NamesBeginningWithADotAreSkipped) {
    LinkFields fields;
    fields.target = notepad();
    createFolders(menu / L".hidden");
    ASSERT_TRUE(writeLink(menu / L".hidden\\secret.lnk", fields));
    ASSERT_TRUE(writeLink(menu / L".dotted.lnk", fields));
    ASSERT_TRUE(writeLink(menu / L"visible.lnk", fields));
    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(menu / L"visible.lnk", index.begin()->first);
}

TEST_F(StartMenuScannerTest, FoldersNestedTwoHundredDeepAreScannedToTheBottom) {
    std::wstring folder = menu.path();
    for (int level = 0; level < 200; ++level) folder += L"\\d";
    createFolders(folder);
    ASSERT_TRUE(writeUrlFile(folder + L"\\bottom.url", L"http://bottom.example/"));
    ASSERT_TRUE(writeUrlFile(menu / L"top.url", L"http://top.example/"));

    ShortcutIndex index = scan({menu.path()});
    EXPECT_EQ(ScanResult::Saved, result);
    EXPECT_EQ(1u, index.count(folder + L"\\bottom.url"));
    EXPECT_EQ(1u, index.count(menu / L"top.url"));
}

TEST_F(StartMenuScannerTest, NestedFoldersAreScannedAndDuplicatesStoredOnce) {
    LinkFields fields;
    fields.target = notepad();
    createFolders(menu / L"a\\b\\c");
    ASSERT_TRUE(writeLink(menu / L"top.lnk", fields));
    ASSERT_TRUE(writeLink(menu / L"a\\b\\c\\deep.lnk", fields));
    ASSERT_TRUE(writeUrlFile(menu / L"a\\b\\site.url", L"http://example.com/"));

    ShortcutIndex index = scan({menu.path(), menu / L"missing", menu.path(), menu / L"a"});
    EXPECT_EQ(ScanResult::Saved, result);
    ASSERT_EQ(3u, index.size());
    EXPECT_EQ(1u, index.count(menu / L"top.lnk"));
    EXPECT_EQ(1u, index.count(menu / L"a\\b\\c\\deep.lnk"));
    EXPECT_EQ(1u, index.count(menu / L"a\\b\\site.url"));
}

TEST_F(StartMenuScannerTest, LocationWithTrailingBackslashGivesSinglePaths) {
    LinkFields fields;
    fields.target = notepad();
    ASSERT_TRUE(writeLink(menu / L"top.lnk", fields));
    ShortcutIndex index = scan({menu.path() + L"\\"});
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(menu / L"top.lnk", index.begin()->first);
}

TEST_F(StartMenuScannerTest, BrokenLinkIsStoredWithoutTarget) {
    const std::wstring target = data / L"gone.exe";
    ASSERT_TRUE(writeBytes(target, "MZ"));
    LinkFields fields;
    fields.target = target;
    fields.arguments = L"-x";
    ASSERT_TRUE(writeLink(menu / L"broken.lnk", fields));
    ASSERT_TRUE(DeleteFileW(target.c_str()));
    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(1u, index.size());
    const ShortcutEntry& entry = index.begin()->second;
    EXPECT_EQ(L"broken.lnk", entry.name);
    EXPECT_EQ(L"", entry.executable);
    EXPECT_EQ(L"", entry.arguments);
}

TEST_F(StartMenuScannerTest, FileThatIsNoLinkIsStoredWithoutTarget) {
    ASSERT_TRUE(writeBytes(menu / L"garbage.lnk", "this is not a shell link"));
    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(L"", index.begin()->second.executable);
}

// A link made as bytes: no item list, only one data block (the environment-variable or
// the Windows Installer block, alike in layout) holding text.
std::string dataBlockLink(unsigned linkFlag, unsigned signature, const std::wstring& text) {
    std::string bytes(76, '\0');
    auto put32 = [&bytes](size_t offset, unsigned value) {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put32(0, 0x4C);
    const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    for (int i = 0; i < 16; ++i) bytes[4 + i] = static_cast<char>(clsid[i]);
    put32(20, linkFlag | 0x80);  // and SLDF_UNICODE
    put32(60, 1);                // show command
    std::string block(788, '\0');
    for (int i = 0; i < 4; ++i) block[i] = static_cast<char>((788u >> (8 * i)) & 0xFF);
    for (int i = 0; i < 4; ++i) block[4 + i] = static_cast<char>((signature >> (8 * i)) & 0xFF);
    for (size_t i = 0; i < text.size() && i < 259; ++i) {
        block[8 + i] = static_cast<char>(text[i]);
        block[268 + 2 * i] = static_cast<char>(text[i] & 0xFF);
        block[268 + 2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return bytes + block + std::string(4, '\0');
}

std::string environmentLink(const std::wstring& target) {
    return dataBlockLink(0x200, 0xA0000001, target);  // SLDF_HAS_EXP_SZ, EXP_SZ_LINK_SIG
}

// The Windows Installer's 20-character form of a GUID: its four 32-bit words in memory
// order, each as five base-85 digits, least significant first.
std::wstring packedGuid(const GUID& guid) {
    static const char digits[] = "!$%&'()*+,-.0123456789=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{}~";
    unsigned words[4] = {};
    std::memcpy(words, &guid, sizeof(words));
    std::wstring packed;
    for (unsigned word : words)
        for (int i = 0; i < 5; ++i, word /= 85) packed += static_cast<wchar_t>(digits[word % 85]);
    return packed;
}

// The registry's form of a GUID: "{...}" without its punctuation, the first three groups
// reversed and each byte of the last two with its digits swapped.
std::wstring squashedGuid(const std::wstring& text) {
    std::wstring digits;
    for (wchar_t c : text)
        if (iswxdigit(c)) digits += c;
    if (digits.size() != 32) return std::wstring();
    std::wstring squashed;
    for (const auto& [start, length] : {std::pair<size_t, size_t>{0, 8}, {8, 4}, {12, 4}})
        for (size_t i = 0; i < length; ++i) squashed += digits[start + length - 1 - i];
    for (size_t i = 16; i < 32; i += 2) {
        squashed += digits[i + 1];
        squashed += digits[i];
    }
    return squashed;
}

std::wstring guidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// A product installed for the machine with one component at path, as the Windows Installer
// records it; removed again at the end. The installer keeps its data in the 64-bit view of
// the registry, which a 32-bit process reaches only by asking for it.
class InstalledComponent {
public:
    InstalledComponent(const GUID& product, const GUID& component, const std::wstring& path)
        : product_(squashedGuid(guidText(product))), component_(squashedGuid(guidText(component))) {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18", 0,
                        nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, userData_.put(), nullptr);
        RegSetKeyValueW(userData_.get(), (L"Components\\" + component_).c_str(), product_.c_str(), REG_SZ,
                        path.c_str(), static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
        const DWORD installer = 1;
        RegSetKeyValueW(userData_.get(), (L"Products\\" + product_ + L"\\InstallProperties").c_str(),
                        L"WindowsInstaller", REG_DWORD, &installer, sizeof(installer));
    }
    ~InstalledComponent() {
        RegDeleteTreeW(userData_.get(), (L"Components\\" + component_).c_str());
        RegDeleteTreeW(userData_.get(), (L"Products\\" + product_).c_str());
    }
    bool written() const { return userData_.get() != nullptr; }

private:
    std::wstring product_;
    std::wstring component_;
    UniqueHKey userData_;
};

TEST_F(StartMenuScannerTest, AdvertisedLinkGivesTheInstalledComponentsPath) {
    const GUID product = {0x1A2B3C4D, 0x5E6F, 0x4A1B, {0x8C, 0x9D, 0x0E, 0x1F, 0x2A, 0x3B, 0x4C, 0x5D}};
    const GUID component = {0x6E7F8091, 0xA2B3, 0x4C5D, {0x9E, 0x0F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F}};
    const std::wstring descriptor = packedGuid(product) + L"Main>" + packedGuid(component);
    ASSERT_TRUE(writeBytes(menu / L"Advertised.lnk", dataBlockLink(0x1000, 0xA0000006, descriptor)));

    WindowsInstaller installer;
    std::wstring foundProduct, foundComponent;
    ASSERT_TRUE(installer.shortcutTarget((menu / L"Advertised.lnk").c_str(), foundProduct, foundComponent));
    EXPECT_EQ(guidText(product), foundProduct);
    EXPECT_EQ(guidText(component), foundComponent);

    {
        ShortcutIndex index = scan({menu.path()});
        ASSERT_EQ(1u, index.size());
        EXPECT_EQ(L"", index.begin()->second.executable) << "a component that is not installed gives no target";
    }
    const InstalledComponent installed(product, component, notepad());
    ASSERT_TRUE(installed.written());
    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(1u, index.size());
    EXPECT_EQ(notepad(), index.begin()->second.executable);
}

TEST_F(StartMenuScannerTest, EnvironmentVariableTargetGivesTheExpandedShortPath) {
    ASSERT_TRUE(writeBytes(menu / L"Calc.lnk", environmentLink(L"%SystemRoot%\\system32\\notepad.exe")));
    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(1u, index.size());
    wchar_t expanded[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%SystemRoot%\\system32\\notepad.exe", expanded, MAX_PATH);
    // Wine's shell link does not read the environment-variable block: no path, no target.
    EXPECT_EQ(runningOnWine() ? std::wstring() : shortPath(expanded), index.begin()->second.executable);
}

// The cycle "index-cycle\sub\loop" -> ".." is made beside the test program by the build's
// test fixture (Wine's CreateSymbolicLinkW reports success and makes nothing).
TEST_F(StartMenuScannerTest, FolderCycleIsNotEnteredAgain) {
    LinkFields fields;
    fields.target = notepad();
    std::wstring root = menu / L"cycle";
    createFolders(root + L"\\sub");
    if (!CreateSymbolicLinkW((root + L"\\sub\\loop").c_str(), root.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        !fileExists(root + L"\\sub\\loop\\sub")) {
        wchar_t current[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, current);
        root = std::wstring(current) + L"\\index-cycle";
        if (!fileExists(root + L"\\sub\\loop\\sub")) GTEST_SKIP() << "no folder cycle fixture in " << utf8(root);
    }
    ASSERT_TRUE(writeLink(root + L"\\sub\\inner.lnk", fields));
    ASSERT_TRUE(writeLink(root + L"\\outer.lnk", fields));
    ASSERT_TRUE(fileExists(root + L"\\sub\\loop\\sub\\inner.lnk"));

    ShortcutIndex index = scan({root});
    DeleteFileW((root + L"\\sub\\inner.lnk").c_str());
    DeleteFileW((root + L"\\outer.lnk").c_str());
    EXPECT_EQ(ScanResult::Saved, result);
    EXPECT_EQ(2u, index.size());
    EXPECT_EQ(1u, index.count(root + L"\\sub\\inner.lnk"));
    EXPECT_EQ(1u, index.count(root + L"\\outer.lnk"));
}

TEST_F(StartMenuScannerTest, StatusShowsEachFolderAndIsEmptiedAtItsEnd) {
    createFolders(menu / L"a");
    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(4u, sink.texts.size());
    EXPECT_EQ(menu.path(), sink.texts[0]);
    EXPECT_EQ(menu / L"a", sink.texts[1]);
    EXPECT_EQ(L"", sink.texts[2]);
    EXPECT_EQ(L"", sink.texts[3]);
}

TEST_F(StartMenuScannerTest, StatusIsCompactedToTheWindowWidth) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    context.ownerWindow = window;
    const std::wstring deep = menu / L"a rather long folder name\\and another long folder name\\and more";
    createFolders(deep);
    ShortcutIndex index = scan({deep});
    DestroyWindow(window);
    ASSERT_FALSE(sink.texts.empty());
    EXPECT_LT(sink.texts[0].size(), deep.size());
    EXPECT_NE(std::wstring::npos, sink.texts[0].find(L"..."));
    EXPECT_EQ(L"", sink.texts.back());
}

TEST_F(StartMenuScannerTest, AbortStopsTheScanAndKeepsTheIndexFile) {
    LinkFields fields;
    fields.target = notepad();
    createFolders(menu / L"first");
    createFolders(menu / L"second");
    ASSERT_TRUE(writeLink(menu / L"first\\one.lnk", fields));
    ASSERT_TRUE(writeLink(menu / L"second\\two.lnk", fields));
    ASSERT_TRUE(saveIndex(ShortcutIndex(), indexFile));
    const std::string before = readBytes(indexFile);

    // The first folder entered after the location stops the scan.
    sink.onText = [this](const std::wstring& text) {
        if (!text.empty() && text != menu.path()) abortRequested = true;
    };
    ShortcutIndex index = scan({menu.path(), menu / L"first"});
    EXPECT_EQ(ScanResult::Aborted, result);
    EXPECT_TRUE(index.empty());
    EXPECT_EQ(before, readBytes(indexFile));
}

TEST_F(StartMenuScannerTest, AbortBeforeTheScanStoresNothing) {
    LinkFields fields;
    fields.target = notepad();
    ASSERT_TRUE(writeLink(menu / L"one.lnk", fields));
    abortRequested = true;
    ShortcutIndex index = scan({menu.path()});
    EXPECT_EQ(ScanResult::Aborted, result);
    EXPECT_TRUE(index.empty());
    EXPECT_TRUE(sink.texts.empty());
    EXPECT_FALSE(fileExists(indexFile));
}

TEST_F(StartMenuScannerTest, ScanSavesTheIndexItMade) {
    LinkFields fields;
    fields.target = notepad();
    ASSERT_TRUE(writeLink(menu / L"one.lnk", fields));
    ASSERT_TRUE(writeUrlFile(menu / L"two.url", L"http://example.com/"));
    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(ScanResult::Saved, result);
    const std::wstring expected = data / L"expected.xml";
    ASSERT_TRUE(saveIndex(index, expected));
    EXPECT_EQ(readBytes(expected), readBytes(indexFile));
}

TEST_F(StartMenuScannerTest, LongPathsAreIndexedWholeAndLongTargetsLeftEmpty) {
    std::wstring deep = menu.path();
    while (deep.size() < 300) deep += L"\\a folder with a long name";
    createFolders(deep);
    const std::wstring longTarget = deep + L"\\target.exe";
    ASSERT_TRUE(writeBytes(longTarget, "MZ"));
    LinkFields toNotepad;
    toNotepad.target = notepad();
    ASSERT_TRUE(writeLink(deep + L"\\near.lnk", toNotepad));
    LinkFields toLong;
    toLong.target = longTarget;
    ASSERT_TRUE(writeLink(menu / L"far.lnk", toLong));

    ShortcutIndex index = scan({menu.path()});
    ASSERT_EQ(2u, index.size());
    ASSERT_EQ(1u, index.count(deep + L"\\near.lnk"));
    EXPECT_EQ(notepad(), index[deep + L"\\near.lnk"].executable);
    ASSERT_EQ(1u, index.count(menu / L"far.lnk"));
    EXPECT_EQ(L"", index[menu / L"far.lnk"].executable);
}

TEST_F(StartMenuScannerTest, ResolveLinkTargetRefusesMissingArguments) {
    WindowsInstaller installer;
    wchar_t buffer[MAX_PATH] = L"x";
    EXPECT_FALSE(ResolveLinkTarget(nullptr, nullptr, buffer, MAX_PATH, installer, nullptr));
    EXPECT_FALSE(ResolveLinkTarget(nullptr, L"C:\\a.lnk", nullptr, MAX_PATH, installer, nullptr));
    EXPECT_FALSE(ResolveLinkTarget(nullptr, L"C:\\a.lnk", buffer, 0, installer, nullptr));
    EXPECT_FALSE(ResolveLinkTarget(nullptr, L"C:\\a.lnk", buffer, MAX_PATH, installer, nullptr));
    EXPECT_EQ(L'\0', buffer[0]);
}

TEST_F(StartMenuScannerTest, ShortTargetBufferRefusesTheTarget) {
    LinkFields fields;
    fields.target = notepad();
    const std::wstring link = menu / L"n.lnk";
    ASSERT_TRUE(writeLink(link, fields));
    ComPtr<IPersistFile> file = shellLink.query<IPersistFile>();
    ASSERT_TRUE(file);
    ASSERT_EQ(S_OK, file->Load(link.c_str(), STGM_READ));
    WindowsInstaller installer;
    wchar_t small[8] = {};
    EXPECT_FALSE(ResolveLinkTarget(file.get(), link.c_str(), small, 8, installer, nullptr));
    wchar_t buffer[MAX_PATH] = {};
    EXPECT_TRUE(ResolveLinkTarget(file.get(), link.c_str(), buffer, MAX_PATH, installer, nullptr));
    EXPECT_EQ(notepad(), buffer);
}

TEST(WindowsInstallerTest, ModuleComesFromTheSystemFolder) {
    WindowsInstaller installer;
    ASSERT_TRUE(installer.available());
    const std::wstring path = installer.modulePath();
    const std::wstring folder = systemFolder();
    ASSERT_GT(path.size(), folder.size());
    EXPECT_EQ(0, _wcsnicmp(folder.c_str(), path.c_str(), folder.size())) << path;
    EXPECT_EQ(0, _wcsicmp(L"\\msi.dll", path.c_str() + folder.size())) << path;
}

TEST(WindowsInstallerTest, OrdinaryLinkIsNotAdvertised) {
    ComInitialization com;
    TemporaryFolder folder;
    LinkFields fields;
    fields.target = systemFolder() + L"\\notepad.exe";
    ASSERT_TRUE(writeLink(folder / L"n.lnk", fields));
    WindowsInstaller installer;
    std::wstring product, component;
    EXPECT_FALSE(installer.shortcutTarget((folder / L"n.lnk").c_str(), product, component));
}

}  // namespace
