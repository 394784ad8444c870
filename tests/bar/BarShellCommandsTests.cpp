// The commands that leave the bar: the settings program, the help file, the web page and
// the about box, through the menu, the Ctrl shortcuts and the command ids.
#include "BarTestSupport.h"
#include "SearchBarSettings.h"
#include "UniqueHandle.h"
#include "accessories/ProductAddresses.h"
#include "search/ModuleFolder.h"
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
