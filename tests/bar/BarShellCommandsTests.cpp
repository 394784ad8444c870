// The commands that leave the bar: the settings program, the help file, the web page and
// the about box, through the menu, the Ctrl shortcuts and the command ids.
#include "BarTestSupport.h"
#include "SearchBarSettings.h"
#include "UniqueHandle.h"
#include "accessories/ProductAddresses.h"
#include "search/ItemFolder.h"
#include "search/ModuleFolder.h"
#include "search/TextRules.h"
#include <tlhelp32.h>
#include <algorithm>
#include <fstream>

using namespace kest;
using namespace kesttest;

namespace {

HWND waitForTopLevelWindow(const wchar_t* caption, DWORD milliseconds = 30000) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = FindWindowW(nullptr, caption)) return found;
        if (GetTickCount() - start > milliseconds) return nullptr;
        Sleep(50);
        pumpMessages();
    }
}

// Closes the settings program's sheet and waits for its process to end.
bool closeProgramOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    UniqueKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    if (!process) return false;
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(process.get(), 15000) == WAIT_OBJECT_0) return true;
    TerminateProcess(process.get(), 1);
    return false;
}

std::vector<DWORD> explorerProcesses() {
    std::vector<DWORD> found;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W process{};
    process.dwSize = sizeof(process);
    for (BOOL more = Process32FirstW(snapshot.get(), &process); more; more = Process32NextW(snapshot.get(), &process))
        if (_wcsicmp(process.szExeFile, L"explorer.exe") == 0) found.push_back(process.th32ProcessID);
    std::sort(found.begin(), found.end());
    return found;
}

// Ends the Explorer processes that are not in before; how many there were.
size_t endExplorersStartedSince(const std::vector<DWORD>& before) {
    size_t ended = 0;
    for (DWORD id : explorerProcesses()) {
        if (std::binary_search(before.begin(), before.end(), id)) continue;
        UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process) continue;
        TerminateProcess(process.get(), 0);
        WaitForSingleObject(process.get(), 10000);
        ++ended;
    }
    return ended;
}

// Pumps for a while, so that whatever the bar started has appeared.
void settle(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        Sleep(50);
        pumpMessages();
    }
}

class BarShellCommandsTest : public BarFixture {
protected:
    void SetUp() override {
        BarFixture::SetUp();
        marker = startMenu + L"\\marker.txt";
    }
    void TearDown() override {
        DeleteFileW(marker.c_str());
        BarFixture::TearDown();
    }
    std::wstring takeMarker() {
        const std::wstring line = waitForMarker(marker);
        // The console program may still hold the file for a moment.
        for (int i = 0; i < 100 && !DeleteFileW(marker.c_str()); ++i) Sleep(20);
        return line;
    }

    std::wstring marker;
};

TEST_F(BarShellCommandsTest, SettingsCommandAndCtrlSStartTheSettingsProgramBesideTheModule) {
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((bandModuleFolder() + L"kestconf.exe").c_str()));
    startBar();
    SendMessageW(bar->hwnd(), WM_COMMAND, SettingsCommandId, 0);
    HWND sheet = waitForTopLevelWindow(L"Kestrune Settings");
    ASSERT_TRUE(sheet) << "the settings program shows its sheet";
    EXPECT_TRUE(closeProgramOf(sheet));

    SendMessageW(bar->hwnd(), WM_SYSCHAR, L's', 0);
    sheet = waitForTopLevelWindow(L"Kestrune Settings");
    ASSERT_TRUE(sheet) << "Ctrl+S does the same";
    EXPECT_TRUE(closeProgramOf(sheet));
}

TEST_F(BarShellCommandsTest, HelpCommandAndF1OpenTheHelpFileBesideTheModule) {
    const std::wstring helpFile = bandModuleFolder() + L"kesthelp.chm";
    std::ofstream(helpFile.c_str()).put('x');
    {
        const ClassesValue type(L".chm", L"KestTest.HelpFile");
        const ClassesValue open(L"KestTest.HelpFile\\shell\\open\\command", recordingCommand(marker));
        startBar();
        SendMessageW(bar->hwnd(), WM_COMMAND, HelpCommandId, 0);
        EXPECT_EQ(helpFile, takeMarker());

        SetFocus(editWindow());
        SendMessageW(editWindow(), WM_KEYDOWN, VK_F1, 0x3B0001);
        EXPECT_EQ(helpFile, takeMarker()) << "F1 in the box";
    }
    DeleteFileW(helpFile.c_str());
}

TEST_F(BarShellCommandsTest, WebSiteCommandAndCtrlWOpenTheProductPage) {
    const ClassesValue open(L"https\\shell\\open\\command", recordingCommand(marker));
    startBar();
    SendMessageW(bar->hwnd(), WM_COMMAND, WebSiteCommandId, 0);
    EXPECT_EQ(ProductWebPageAddress, takeMarker());
    SendMessageW(bar->hwnd(), WM_SYSCHAR, L'w', 0);
    pumpMessages();
    EXPECT_EQ(ProductWebPageAddress, takeMarker()) << "Ctrl+W does the same";
}

// Ends the about box the moment it shows, remembering that it did.
HWND aboutBoxSeen = nullptr;
HWND aboutBoxOwner = nullptr;
void CALLBACK closeAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND about = FindWindowW(nullptr, L"About Kestrune")) {
        aboutBoxSeen = about;
        aboutBoxOwner = GetWindow(about, GW_OWNER);
        KillTimer(nullptr, timer);
        PostMessageW(about, WM_COMMAND, IDOK, 0);
    }
}

TEST_F(BarShellCommandsTest, CtrlAShowsTheAboutBoxOwnedByTheBar) {
    startBar();
    aboutBoxSeen = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, closeAboutBox);
    SendMessageW(bar->hwnd(), WM_SYSCHAR, L'a', 0);
    const DWORD start = GetTickCount();
    while (!aboutBoxSeen && GetTickCount() - start < 15000) {
        Sleep(20);
        pumpMessages();
    }
    KillTimer(nullptr, timer);
    ASSERT_TRUE(aboutBoxSeen);
    EXPECT_EQ(GetAncestor(bar->hwnd(), GA_ROOT), aboutBoxOwner);
    EXPECT_FALSE(IsWindow(aboutBoxSeen)) << "closed by its OK button";
}

// Picks an item of the bar's menu by its mnemonic, as a user at the keyboard does.
class MenuChooser : public CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(MenuChooser, CSubclassedWindow)
        KEST_ON_MESSAGE(WM_ENTERIDLE, OnEnterIdle)
    KEST_END_MESSAGE_TABLE()
public:
    explicit MenuChooser(wchar_t mnemonic) : mnemonic_(mnemonic) {}

private:
    LRESULT OnEnterIdle(WPARAM, LPARAM) {
        if (!pressed_) {
            pressed_ = true;
            PostMessageW(hwnd_, WM_CHAR, mnemonic_, 1);
        }
        passToDefault();
        return 0;
    }
    wchar_t mnemonic_;
    bool pressed_ = false;
};

TEST_F(BarShellCommandsTest, ItemsChosenFromTheRealMenuRunTheirCommands) {
    startBar();
    const bool folderItems = readIncludeFolderItems();
    {
        MenuChooser chooser(L'f');
        ASSERT_TRUE(chooser.attach(bar->hwnd()));
        bar->ShowBarMenu(bar->hwnd(), MAKELPARAM(10, 10));
        pumpMessages();
    }
    EXPECT_EQ(!folderItems, readIncludeFolderItems()) << "Include Folder Items toggled";

    {
        MenuChooser chooser(L'r');
        ASSERT_TRUE(chooser.attach(bar->hwnd()));
        bar->ShowBarMenu(bar->hwnd(), MAKELPARAM(10, 10));
        pumpMessages();
    }
    EXPECT_TRUE(bar->busy()) << "Refresh started a scan";
    ASSERT_TRUE(waitUntilIdle(*bar));
}

}  // namespace

TEST_F(BarShellCommandsTest, CtrlShiftEnterRunsTheSelectedItemOrTheTypedCommandAsAdministrator) {
    const std::wstring tool = startMenu + L"\\Toolkit.kestrunas";
    const std::wstring loose = startMenu + L"\\Loose.kestrunas";
    std::ofstream(tool.c_str()).put('x');
    std::ofstream(loose.c_str()).put('x');
    writeShortcut(startMenu + L"\\Toolkit.lnk", tool);
    const ClassesValue fileType(L".kestrunas", L"KestTest.RunAs");
    const ClassesValue runAs(L"KestTest.RunAs\\shell\\runas\\command", recordingCommand(marker));
    startBar();

    type(L"toolk");
    ASSERT_EQ(0, selection());
    pressCtrlShift(editWindow(), VK_RETURN, L'\n');
    EXPECT_EQ(tool, takeMarker()) << "the runas verb of the item's file type";
    EXPECT_EQ(L"", boxText());
    const HistoryEntry* counted = bar->history().find(asciiLower(tool));
    ASSERT_NE(nullptr, counted) << "recorded as a launch";
    EXPECT_EQ(1u, counted->count);

    type(loose);
    pressCtrlShift(editWindow(), VK_RETURN, L'\n');
    EXPECT_EQ(loose, takeMarker()) << "the typed command";
    EXPECT_NE(nullptr, bar->history().find(asciiLower(loose)));
    EXPECT_NE(bar->typedHistory().items().end(),
              std::find(bar->typedHistory().items().begin(), bar->typedHistory().items().end(), asciiLower(loose)));
}

TEST(ItemFolderTest, ExplorerIsToldToSelectTheItemInItsFolder) {
    EXPECT_EQ(L"/select,\"C:\\Program Files\\Tool\\tool.exe\"",
              explorerSelectParameters(L"C:\\Program Files\\Tool\\tool.exe"));
}

TEST_F(BarShellCommandsTest, CtrlShiftEOpensTheFolderOfAFileButRefusesAPackagedApp) {
    const std::wstring tool = systemFile(L"notepad.exe");
    ShortcutIndex index;
    ShortcutEntry app;
    app.name = L"Calculator";
    app.path = app.executable = L"shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App";
    index[app.path] = app;
    ShortcutEntry notepad;
    notepad.name = L"Notepad";
    notepad.path = startMenu + L"\\Notepad.lnk";
    notepad.executable = tool;
    index[notepad.path] = notepad;
    startBar();
    bar->replaceIndex(index);
    const std::vector<DWORD> before = explorerProcesses();

    type(L"calc");
    ASSERT_EQ(0, selection());
    pressCtrlShift(editWindow(), 'E', 5);
    settle(1500);
    EXPECT_EQ(0u, endExplorersStartedSince(before)) << "a packaged app has no folder: nothing starts";

    type(L"\x1b");
    type(L"notep");
    ASSERT_EQ(0, selection());
    const std::wstring shown = boxText();
    pressCtrlShift(editWindow(), 'E', 5);
    const DWORD start = GetTickCount();
    while (explorerProcesses() == before && GetTickCount() - start < 15000) settle(100);
    EXPECT_EQ(1u, endExplorersStartedSince(before)) << "Explorer started for the file's folder";
    EXPECT_EQ(nullptr, bar->history().find(asciiLower(tool))) << "opening the folder is no launch";
    EXPECT_EQ(shown, boxText()) << "the box keeps the item";
}
