#include "BarTestSupport.h"
#include "ComObject.h"
#include "DefaultScanLocations.h"
#include "SettingsNames.h"
#include "StringListKey.h"
#include "search/TextRules.h"
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

using namespace kest;
using namespace kesttest;

namespace {

using Texts = std::vector<std::wstring>;

constexpr DWORD MissingValue = 0xDEADBEEF;
DWORD storedDword(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKeyPath, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return MissingValue;
    return value;
}

// The text of the tool-tip tool on the search box's edit field, from the tool-tip control
// that has that tool (the system makes the bar's top-level ancestor its owner).
std::wstring searchBoxToolTip(HWND edit) {
    for (HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tip;
         tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = edit;
        tool.uId = 0;
        if (!SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) continue;
        wchar_t text[128] = {};
        tool.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
        return text;
    }
    return L"(no tool tip)";
}

// Waits for a launched console program's marker file, then a little longer so that its
// window is gone before the next test types into the box.
bool waitForFile(const std::wstring& path, DWORD milliseconds = 30000) {
    const DWORD start = GetTickCount();
    while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(50);
        pumpMessages();
    }
    for (int i = 0; i < 20; ++i) {
        Sleep(50);
        pumpMessages();
    }
    return true;
}

class BarWindowTest : public BarFixture {
protected:
    void makeAccessories() {
        const std::wstring accessories = startMenu + L"\\Accessories";
        CreateDirectoryW(accessories.c_str(), nullptr);
        writeShortcut(accessories + L"\\Notepad.lnk", systemFile(L"notepad.exe"));
        writeShortcut(accessories + L"\\WordPad.lnk", systemFile(L"write.exe"));
        writeShortcut(accessories + L"\\Paint Shop.lnk", systemFile(L"taskmgr.exe"));
    }
};

TEST_F(BarWindowTest, FirstStartWithoutScanLocationsInstallsTheDefaultsAndScans) {
    SHDeleteKeyW(HKEY_CURRENT_USER, ScanPathsKeyPath);
    startBar();
    StringList expected;
    ASSERT_TRUE(buildDefaultScanLocations(expected));
    EXPECT_EQ(expected, bar->scanLocations());
    StringList stored;
    ASSERT_TRUE(ReadStringListKey(ScanPathsKeyPath, stored));
    EXPECT_EQ(expected.size(), stored.size());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((dataFolder + L"\\mapdata.xml").c_str()))
        << "the scan ends with the index file";
}

TEST_F(BarWindowTest, ScanFillsTheListWithTheWholeIndexClosed) {
    makeAccessories();
    startBar();
    EXPECT_EQ(3u, bar->index().size());
    EXPECT_EQ((Texts{L"Notepad (Accessories)", L"Paint Shop (Accessories)", L"WordPad (Accessories)"}), items());
    EXPECT_FALSE(listOpen());
    EXPECT_TRUE(IsWindowVisible(box()));
}

TEST_F(BarWindowTest, TypingUnderAllListsMatchesOpenAndPreselectsTheFirst) {
    makeAccessories();
    startBar();
    type(L"pad");
    EXPECT_EQ((Texts{L"Notepad (Accessories)", L"WordPad (Accessories)"}), items());
    EXPECT_TRUE(listOpen());
    EXPECT_EQ(0, selection());
    EXPECT_EQ(L"pad", bar->searchBox().edit().searchText);
    // The selected item does not begin with the typed text, so it is all selected.
    DWORD start = 0, end = 0;
    SendMessageW(editWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(L"Notepad (Accessories)", boxText());
    EXPECT_EQ(0u, start);
    EXPECT_EQ(boxText().size(), end);
}

// What a user sees of the box after a keystroke: the items, the selection, the field text
// and its selection, and the list window's place.
struct BoxView {
    Texts items;
    int selection = -1;
    std::wstring text;
    DWORD selectionStart = 0, selectionEnd = 0;
    bool open = false;
    RECT listBounds{};
    bool operator==(const BoxView& other) const {
        return items == other.items && selection == other.selection && text == other.text &&
               selectionStart == other.selectionStart && selectionEnd == other.selectionEnd &&
               open == other.open && EqualRect(&listBounds, &other.listBounds);
    }
};

TEST_F(BarWindowTest, AnOpenListRefilledWhileTypingShowsWhatReopeningItWouldShow) {
    // Counts per typed text: q 110, qu 110, qui 55, quil 55, quilt 5, then back to quil.
    // The first four overflow the list, so the open list is refilled where it is.
    const auto writeUrl = [](const std::wstring& path) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        const char text[] = "[InternetShortcut]\r\nURL=http://example.invalid/\r\n";
        DWORD written = 0;
        WriteFile(file, text, sizeof(text) - 1, &written, nullptr);
        CloseHandle(file);
    };
    for (int i = 0; i < 55; ++i) writeUrl(startMenu + L"\\Quartz Tool " + std::to_wstring(i) + L".url");
    for (int i = 0; i < 50; ++i) writeUrl(startMenu + L"\\Quill Pen " + std::to_wstring(i) + L".url");
    for (int i = 0; i < 5; ++i) writeUrl(startMenu + L"\\Quilt " + std::to_wstring(i) + L".url");
    for (int i = 0; i < 20; ++i) writeUrl(startMenu + L"\\Other " + std::to_wstring(i) + L".url");
    setDword(SettingName::MatchMode, 0);
    startBar();
    ASSERT_EQ(130u, bar->index().size());
    SetFocus(editWindow());
    pumpMessages();

    const auto view = [this] {
        BoxView seen;
        seen.items = items();
        seen.selection = selection();
        seen.text = boxText();
        SendMessageW(editWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selectionStart),
                     reinterpret_cast<LPARAM>(&seen.selectionEnd));
        seen.open = listOpen();
        GetWindowRect(bar->searchBox().listWindow(), &seen.listBounds);
        return seen;
    };
    // What the open list shows once it has painted: its scroll range covers its items,
    // and the rows carry text, not only the background.
    const auto paintedRows = [this](size_t count) {
        HWND list = bar->searchBox().listWindow();
        SCROLLINFO scroll{sizeof(scroll), SIF_RANGE | SIF_PAGE};
        const bool scrolls = GetScrollInfo(list, SB_VERT, &scroll) && scroll.nPage > 0 &&
                             scroll.nMax - scroll.nMin + 1 > static_cast<int>(scroll.nPage);
        if (scrolls) {
            EXPECT_EQ(static_cast<int>(count), scroll.nMax - scroll.nMin + 1) << "scroll range";
        }
        RECT client{};
        GetClientRect(list, &client);
        HDC dc = GetDC(list);
        const COLORREF background = GetPixel(dc, client.right - 2, client.bottom - 2);
        int inked = 0;
        for (int y = 0; y < client.bottom; y += 2)
            for (int x = 0; x < client.right / 2; x += 2)
                if (GetPixel(dc, x, y) != background) ++inked;
        ReleaseDC(list, dc);
        return inked;
    };
    const std::vector<size_t> counts{110, 110, 55, 55, 5, 55};
    const std::wstring keys = L"quilt\b";
    for (size_t i = 0; i < keys.size(); ++i) {
        type(keys.substr(i, 1));
        UpdateWindow(bar->searchBox().listWindow());
        EXPECT_GT(paintedRows(counts[i]), 20) << "the list painted its items, key " << i;
        const BoxView refilled = view();
        // The same refresh from a closed list: the box opens it itself.
        SendMessageW(box(), CB_SHOWDROPDOWN, FALSE, 0);
        bar->RefreshFromTyping();
        const BoxView reopened = view();
        SCOPED_TRACE(i);
        EXPECT_EQ(counts[i], refilled.items.size());
        EXPECT_TRUE(refilled.open);
        EXPECT_TRUE(refilled == reopened) << "selection " << refilled.selection << " / " << reopened.selection
                                          << ", list height " << refilled.listBounds.bottom - refilled.listBounds.top
                                          << " / " << reopened.listBounds.bottom - reopened.listBounds.top;
    }
    RECT client{};
    GetClientRect(bar->searchBox().listWindow(), &client);
    const LRESULT itemHeight = SendMessageW(box(), CB_GETITEMHEIGHT, 0, 0);
    ASSERT_GT(itemHeight, 0);
    EXPECT_LT(client.bottom / itemHeight, 55) << "the larger counts overflow the list";
}

TEST_F(BarWindowTest, TypingUnderStartPutsTheCaretAfterTheTypedText) {
    makeAccessories();
    setDword(SettingName::MatchMode, 1);
    startBar();
    type(L"no");
    EXPECT_EQ(Texts{L"Notepad (Accessories)"}, items());
    DWORD start = 0, end = 0;
    SendMessageW(editWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(2u, start);
    EXPECT_EQ(2u, end);
    type(L"x");
    EXPECT_TRUE(items().empty()) << "nothing matches: the list is empty and closed";
    EXPECT_FALSE(listOpen());
    EXPECT_EQ(L"nox", boxText());
}

TEST_F(BarWindowTest, BackspaceToEmptyRefillsTheWholeIndexClosed) {
    makeAccessories();
    startBar();
    type(L"w\b");
    EXPECT_EQ(3u, items().size());
    EXPECT_FALSE(listOpen());
    EXPECT_EQ(L"", boxText());
}

TEST_F(BarWindowTest, MostFrequentlyUsedIsPreselected) {
    makeAccessories();
    setDword(SettingName::AutoSelectMode, 1);
    startBar();
    bar->history().recordLaunch(systemFile(L"write.exe").c_str());
    bar->history().recordLaunch(systemFile(L"write.exe").c_str());
    bar->history().recordLaunch(systemFile(L"notepad.exe").c_str());
    type(L"pad");
    ASSERT_EQ(2u, items().size());
    EXPECT_EQ(1, selection());
    EXPECT_EQ(L"WordPad (Accessories)", boxText());

    // Launches counted since the last list count at the next one.
    bar->history().recordLaunch(systemFile(L"notepad.exe").c_str());
    bar->history().recordLaunch(systemFile(L"notepad.exe").c_str());
    type(L"\x1bpad");
    EXPECT_EQ(0, selection());
    EXPECT_EQ(L"Notepad (Accessories)", boxText());
}

TEST_F(BarWindowTest, FolderItemsAreOfferedWhenNoShortcutMatches) {
    startBar();
    const std::wstring typed = startMenu + L"\\";
    CreateDirectoryW((startMenu + L"\\Sub").c_str(), nullptr);
    type(typed);
    EXPECT_EQ((Texts{startMenu + L"\\", startMenu + L"\\Sub"}), items());
    EXPECT_FALSE(bar->searchBox().edit().itemsAreEntries);
}

TEST_F(BarWindowTest, EnterOnASelectedEntryLaunchesItsTargetAndCountsTheExecutable) {
    const std::wstring marker = startMenu + L"\\ran.txt";
    writeShortcut(startMenu + L"\\Marker.lnk", systemFile(L"cmd.exe"), L"/c echo x> \"" + marker + L"\"",
                  startMenu);
    startBar();
    type(L"mark");
    ASSERT_EQ(0, selection());
    type(L"\r");
    pumpMessages();
    EXPECT_TRUE(waitForFile(marker)) << "the shortcut's target ran with its arguments";
    EXPECT_EQ(L"", boxText());
    const HistoryEntry* counted = bar->history().find(asciiLower(systemFile(L"cmd.exe")));
    ASSERT_NE(nullptr, counted);
    EXPECT_EQ(1u, counted->count);
}

TEST_F(BarWindowTest, TypedCommandIsRunWholeThenSplitAtItsFirstBlank) {
    startBar();
    const std::wstring marker = startMenu + L"\\typed.txt";
    const std::wstring command = L"cmd.exe /c echo x> \"" + marker + L"\"";
    type(command);
    EXPECT_EQ(command, boxText());
    type(L"\r");
    pumpMessages();
    EXPECT_TRUE(waitForFile(marker));
    EXPECT_NE(bar->typedHistory().items().end(),
              std::find(bar->typedHistory().items().begin(), bar->typedHistory().items().end(),
                        asciiLower(command)));
    EXPECT_NE(nullptr, bar->history().find(asciiLower(command)));
    EXPECT_EQ(L"", boxText());
}

TEST_F(BarWindowTest, EnterOnAnEmptyOrBlankBoxLaunchesNothing) {
    startBar();
    type(L"\r");
    SetWindowTextW(editWindow(), L"   ");
    SendMessageW(bar->hwnd(), WM_COMMAND, LaunchCommandId, 0);
    pumpMessages();
    EXPECT_TRUE(bar->typedHistory().items().empty());
    EXPECT_TRUE(bar->history().entries().empty());
}

TEST_F(BarWindowTest, AnOverlongTypedCommandIsRefusedWithoutReachingTheShell) {
    startBar();
    // A pasted text of thousands of letters, as Shift+Insert makes it the typed text.
    for (const size_t length : {size_t{MAX_PATH}, size_t{20000}}) {
        SetWindowTextW(editWindow(), std::wstring(length, L'q').c_str());
        SendMessageW(bar->hwnd(), WM_COMMAND, LaunchCommandId, 0);
        pumpMessages();
        EXPECT_TRUE(IsWindow(bar->hwnd()));
        EXPECT_TRUE(bar->typedHistory().items().empty()) << "a refused command is not remembered";
        EXPECT_TRUE(bar->history().entries().empty());
        EXPECT_EQ(static_cast<int>(length), GetWindowTextLengthW(editWindow()))
            << "the text stays for the user to correct";
    }
}

TEST_F(BarWindowTest, ReloadRequestThroughTheNotificationWindowRescans) {
    startBar();
    EXPECT_TRUE(bar->index().empty());
    writeShortcut(startMenu + L"\\Late.lnk", systemFile(L"notepad.exe"));
    HWND notification = FindWindowW(L"BB676CE4-D76C-409b-9F4F-1ADC302DB669", nullptr);
    ASSERT_EQ(bar->notificationWindow(), notification);
    PostMessageW(notification, WM_COMMAND, ReloadCommandId, 0);
    pumpMessages();
    ASSERT_TRUE(waitUntilIdle(*bar));
    EXPECT_EQ(1u, bar->index().size());
}

// The taskbar's band and the floating bar's run side by side; the settings program's request
// (made by its own code in another process) reaches both.
TEST_F(BarWindowTest, ReloadRequestFromAnotherProcessRescansEveryBand) {
    startBar();
    kest::CSimpleBarDlg secondBar(&owner);
    ASSERT_TRUE(secondBar.create(parent));
    ShowWindow(secondBar.hwnd(), SW_SHOWNORMAL);
    ASSERT_TRUE(waitUntilIdle(secondBar));
    writeShortcut(startMenu + L"\\Late.lnk", systemFile(L"notepad.exe"));
    wchar_t command[] = L"post_reload_request.exe";
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        pumpMessages();
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, exitCode) << "the other process found a notification window";
    const DWORD start = GetTickCount();
    // The index is read only while no worker owns it.
    while (((!bar->busy() && bar->index().empty()) || (!secondBar.busy() && secondBar.index().empty())) &&
           GetTickCount() - start < 30000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    ASSERT_TRUE(waitUntilIdle(*bar));
    ASSERT_TRUE(waitUntilIdle(secondBar));
    EXPECT_EQ(1u, bar->index().size());
    EXPECT_EQ(1u, secondBar.index().size());
}

// Only one band can hold the hot key; when it closes, another takes it over.
TEST_F(BarWindowTest, ClosingTheBandThatHoldsTheHotKeyHandsItToAnother) {
    const auto keyIsFree = [] {
        if (!RegisterHotKey(nullptr, 0x7001, MOD_WIN, 'S')) return false;
        UnregisterHotKey(nullptr, 0x7001);
        return true;
    };
    ASSERT_TRUE(keyIsFree());
    startBar();
    kest::CSimpleBarDlg secondBar(&owner);
    ASSERT_TRUE(secondBar.create(parent));
    ShowWindow(secondBar.hwnd(), SW_SHOWNORMAL);
    ASSERT_TRUE(waitUntilIdle(secondBar));
    EXPECT_FALSE(keyIsFree());
    bar.reset();
    pumpMessages();
    EXPECT_FALSE(keyIsFree()) << "the second band took the key over";
    EXPECT_EQ(1u, storedDword(SettingName::HotKeyRegistered)) << "recorded by the band that took it over";
    secondBar.destroy();
    pumpMessages();
    EXPECT_TRUE(keyIsFree());
    EXPECT_EQ(MissingValue, storedDword(SettingName::HotKeyTried)) << "no band holds the key";
}

TEST_F(BarWindowTest, SavedIndexIsReadWithoutScanningWhenRescanOnStartIsOff) {
    makeAccessories();
    startBar();
    bar.reset();
    removeTree(startMenu + L"\\Accessories");
    setDword(SettingName::ForceUpdateOnStartup, 0);
    startBar();
    EXPECT_EQ(3u, bar->index().size()) << "read from the index file";
    SendMessageW(bar->hwnd(), WM_COMMAND, ReloadCommandId, 0);
    ASSERT_TRUE(waitUntilIdle(*bar));
    EXPECT_TRUE(bar->index().empty()) << "Refresh scans";
}

TEST_F(BarWindowTest, DestroyingTheBarDuringAScanStopsTheWorker) {
    for (int folder = 0; folder < 10; ++folder) {
        const std::wstring path = startMenu + L"\\F" + std::to_wstring(folder);
        CreateDirectoryW(path.c_str(), nullptr);
        for (int i = 0; i < 20; ++i)
            writeShortcut(path + L"\\S" + std::to_wstring(i) + L".lnk", systemFile(L"notepad.exe"));
    }
    const LONG before = LiveObjectCount::value();
    for (int round = 0; round < 10; ++round) {
        auto early = std::make_unique<CSimpleBarDlg>(nullptr);
        ASSERT_TRUE(early->create(parent));
        EXPECT_TRUE(early->busy());
        early->destroy();
        EXPECT_FALSE(early->busy());
        // Neither the index worker nor the history's is waited for; both end on their own.
        waitForBandThreads();
        EXPECT_EQ(before, LiveObjectCount::value()) << "the workers have ended";
    }
}

TEST_F(BarWindowTest, StatusTextNamesTheFolderBeingScannedWhileTheBoxIsHidden) {
    const std::wstring deep = startMenu + L"\\A folder with a rather long name\\and another one below it";
    SHCreateDirectoryExW(nullptr, deep.c_str(), nullptr);
    for (int i = 0; i < 20; ++i) writeShortcut(deep + L"\\S" + std::to_wstring(i) + L".lnk", systemFile(L"notepad.exe"));
    startBar();
    SendMessageW(bar->hwnd(), WM_COMMAND, ReloadCommandId, 0);
    ASSERT_TRUE(bar->busy());
    EXPECT_FALSE(IsWindowVisible(box()));
    std::vector<std::wstring> shown;
    const DWORD start = GetTickCount();
    while (bar->busy() && GetTickCount() - start < 60000) {
        const std::wstring text = bar->statusText();
        if (!text.empty() && (shown.empty() || shown.back() != text)) shown.push_back(text);
        pumpMessages();
    }
    ASSERT_FALSE(bar->busy());
    ASSERT_FALSE(shown.empty()) << "a status line while scanning";
    // The bar is far narrower than the deep folder's path: it is shown compacted, its last
    // component kept.
    const std::wstring last = L"\\and another one below it";
    EXPECT_NE(shown.end(), std::find_if(shown.begin(), shown.end(), [&](const std::wstring& text) {
                  return text.find(L"...") != std::wstring::npos && text.size() < deep.size() &&
                         text.size() > last.size() && text.compare(text.size() - last.size(), last.size(), last) == 0;
              })) << testing::PrintToString(shown);
    EXPECT_TRUE(bar->statusText().empty()) << "cleared when the scan is done";
    EXPECT_TRUE(IsWindowVisible(box()));
}

TEST_F(BarWindowTest, HotKeyIsRegisteredWithTheStoredCombination) {
    setDword(SettingName::HotKeyModifiers, MOD_ALT | MOD_CONTROL);
    setDword(SettingName::HotKeyVirtualKey, VK_F1);
    startBar();
    EXPECT_FALSE(RegisterHotKey(parent, 1, MOD_ALT | MOD_CONTROL, VK_F1)) << "the bar holds the combination";
    setDword(SettingName::HotKeyDisable, 1);
    SendMessageW(bar->hwnd(), WM_COMMAND, ReloadCommandId, 0);
    ASSERT_TRUE(waitUntilIdle(*bar));
    EXPECT_TRUE(RegisterHotKey(parent, 1, MOD_ALT | MOD_CONTROL, VK_F1)) << "disabled: released";
    UnregisterHotKey(parent, 1);
}

TEST_F(BarWindowTest, ToolTipNamesTheHotKeyTheBarHolds) {
    startBar();
    EXPECT_EQ(L"Kestrune (Win+S)", searchBoxToolTip(editWindow()));
    EXPECT_EQ(1u, storedDword(SettingName::HotKeyRegistered));
    EXPECT_EQ(static_cast<DWORD>(MAKELONG('S', MOD_WIN)), storedDword(SettingName::HotKeyTried));
}

TEST_F(BarWindowTest, HotKeyAnotherProgramHoldsIsReportedInTheToolTipAndRecorded) {
    constexpr UINT modifiers = MOD_CONTROL | MOD_ALT;
    ASSERT_TRUE(RegisterHotKey(parent, 0x7002, modifiers, VK_F11)) << "the other program";
    setDword(SettingName::HotKeyModifiers, modifiers);
    setDword(SettingName::HotKeyVirtualKey, VK_F11);
    startBar();
    EXPECT_EQ(L"Kestrune (Ctrl+Alt+F11 is in use)", searchBoxToolTip(editWindow()));
    EXPECT_EQ(0u, storedDword(SettingName::HotKeyRegistered));
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(VK_F11, modifiers)), storedDword(SettingName::HotKeyTried));

    UnregisterHotKey(parent, 0x7002);
    SendMessageW(bar->hwnd(), WM_COMMAND, ReloadCommandId, 0);
    ASSERT_TRUE(waitUntilIdle(*bar));
    EXPECT_EQ(L"Kestrune (Ctrl+Alt+F11)", searchBoxToolTip(editWindow())) << "tried again on reload";
    EXPECT_EQ(1u, storedDword(SettingName::HotKeyRegistered));

    setDword(SettingName::HotKeyDisable, 1);
    SendMessageW(bar->hwnd(), WM_COMMAND, ReloadCommandId, 0);
    ASSERT_TRUE(waitUntilIdle(*bar));
    EXPECT_EQ(L"Kestrune", searchBoxToolTip(editWindow()));
    EXPECT_EQ(MissingValue, storedDword(SettingName::HotKeyTried)) << "disabled: nothing tried";
}

COLORREF erasedColour(HWND bar) {
    HDC screen = GetDC(bar);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 40);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const LRESULT erased = SendMessageW(bar, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    const COLORREF colour = erased ? GetPixel(memory, 5, 5) : CLR_INVALID;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(bar, screen);
    return colour;
}

TEST_F(BarWindowTest, BackgroundIsGreenOrTheDesktopColour) {
    startBar();
    EXPECT_EQ(RGB(0, 255, 0), erasedColour(bar->hwnd()));
    setDword(SettingName::UsingWindowsColors, 1);
    HDC screen = GetDC(nullptr);
    const COLORREF desktop = GetNearestColor(screen, GetSysColor(COLOR_BACKGROUND));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(desktop, erasedColour(bar->hwnd()));
    EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), bar->backgroundColor());
}

TEST_F(BarWindowTest, LayoutPutsTheButtonAtOneOneAndTheBoxBesideIt) {
    startBar();
    SetWindowPos(bar->hwnd(), nullptr, 0, 0, 300, 24, SWP_NOZORDER);
    RECT button{}, boxBounds{};
    GetWindowRect(GetDlgItem(bar->hwnd(), IDC_MENUBUTTON), &button);
    GetWindowRect(box(), &boxBounds);
    MapWindowPoints(nullptr, bar->hwnd(), reinterpret_cast<POINT*>(&button), 2);
    MapWindowPoints(nullptr, bar->hwnd(), reinterpret_cast<POINT*>(&boxBounds), 2);
    EXPECT_EQ(1, button.left);
    EXPECT_EQ(1, button.top);
    const int buttonWidth = button.right - button.left;
    EXPECT_EQ(buttonWidth + 1, boxBounds.left);
    EXPECT_EQ(300 - buttonWidth - 2, boxBounds.right - boxBounds.left);
}

}  // namespace
