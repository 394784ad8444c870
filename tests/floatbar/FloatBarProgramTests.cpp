// kestfloat.exe as the user runs it: a process of its own that hosts the band module beside
// it. The tests find its windows, drive them with messages and read the registry.
#include "BarCommands.h"
#include "FloatBarIdentity.h"
#include "FloatBarPlacement.h"
#include "FloatBarProcess.h"
#include "SettingsNames.h"
#include "StringListKey.h"
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <algorithm>

namespace kest::test {
namespace {

constexpr const wchar_t* NotificationWindowClass = L"BB676CE4-D76C-409b-9F4F-1ADC302DB669";
constexpr int BandMenuButtonId = 7106;  // the menu button of the band's bar

bool contains(const std::vector<std::wstring>& items, const std::wstring& text) {
    return std::find(items.begin(), items.end(), text) != items.end();
}

// The drop-down shows a shortcut's name with the folder it lies in.
std::wstring shown(const std::wstring& name) { return name + L" (KestFloatStartMenu)"; }

RECT workArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

class FloatBarProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(findFloatBar(), nullptr) << "a floating bar of an earlier run is still there";
        SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath);
        wchar_t appData[MAX_PATH] = {};
        ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData));
        dataFolder = std::wstring(appData) + L"\\Brindlewood\\Kestrune";
        removeTree(dataFolder);
        SHCreateDirectoryExW(nullptr, dataFolder.c_str(), nullptr);
        startMenu = tempFolder(L"KestFloatStartMenu");
        writeShortcut(startMenu + L"\\Notepad Editor.lnk", systemFile(L"notepad.exe"));
        writeShortcut(startMenu + L"\\Registry Editor.lnk", systemFile(L"regedit.exe"));
        WriteStringListKey(ScanPathsKeyPath, {startMenu});
    }
    void TearDown() override {
        for (FloatBarProcess* process : {&first, &second}) {
            if (process->running()) {
                askToExit(*process);
                EXPECT_EQ(process->waitForExit(), static_cast<DWORD>(ExitClosedCleanly));
            }
        }
        EXPECT_TRUE(waitFor([] { return findFloatBar() == nullptr; }, 10000));
        removeTree(startMenu);
        removeTree(dataFolder);
        SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath);
    }

    // Starts the floating bar and waits for its band's first load.
    void startAndLoad(FloatBarProcess& process) {
        ASSERT_TRUE(process.start());
        ASSERT_TRUE(waitForLoadedBar(windows)) << "the floating bar showed no loaded band";
        DWORD owner = 0;
        GetWindowThreadProcessId(windows.strip, &owner);
        ASSERT_EQ(owner, process.id());
        focusSearchBox();
    }
    // Brings the bar forward as a second start or the icon's menu does, and waits until the
    // search box's edit field has the focus, where typing goes.
    bool bringFocusToSearchBox() {
        PostMessageW(windows.strip, WM_COMMAND, BringForwardCommandId, 0);
        const HWND edit = windows.edit;
        return waitFor([edit] { return focusedWindow(edit) == edit; }, 10000);
    }
    void focusSearchBox() { ASSERT_TRUE(bringFocusToSearchBox()) << "the focus is in the search box"; }
    void askToExit(FloatBarProcess& process) {
        for (HWND window : floatBarWindows()) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process.id()) PostMessageW(window, WM_COMMAND, ExitCommandId, 0);
        }
    }
    // Clears the search box (Escape) and types text; the list it gives.
    std::vector<std::wstring> search(const std::wstring& text) {
        std::vector<std::wstring> items;
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (focusedWindow(windows.edit) != windows.edit) bringFocusToSearchBox();
            typeInto(windows.edit, std::wstring(1, wchar_t{27}) + text);
            items = listItems(windows.box);
            // Wine without a window manager may take the activation away a moment after it
            // gave it; the box then empties itself, as on any loss of the focus.
            if (focusedWindow(windows.edit) == windows.edit) break;
        }
        return items;
    }
    // A press, a move and a release of the left button with the cursor moved by (dx, dy),
    // starting at x pixels from the strip's left end. The strip moves under the cursor, so
    // each position is given in the strip's coordinates of that moment.
    void drag(int x, int dx, int dy) {
        const RECT start = windowRect(windows.strip);
        const POINT pressed{start.left + x, start.top + 10};
        SendMessageW(windows.strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 10));
        const POINT released{pressed.x + dx, pressed.y + dy};
        RECT now = windowRect(windows.strip);
        SendMessageW(windows.strip, WM_MOUSEMOVE, MK_LBUTTON,
                     MAKELPARAM(released.x - now.left, released.y - now.top));
        now = windowRect(windows.strip);
        SendMessageW(windows.strip, WM_LBUTTONUP, 0, MAKELPARAM(released.x - now.left, released.y - now.top));
    }

    ComInitialization com;
    std::wstring startMenu;
    std::wstring dataFolder;
    FloatBarProcess first;
    FloatBarProcess second;
    BandWindows windows;
};

TEST_F(FloatBarProgram, HostsTheBandAndATypedQueryFillsTheList) {
    startAndLoad(first);
    wchar_t name[64] = L"";
    GetClassNameW(windows.band, name, 64);
    EXPECT_STREQ(name, L"KestDeskBand") << "the desk band's own window is the strip's child";
    EXPECT_NE(FindWindowW(NotificationWindowClass, nullptr), nullptr) << "the band's reload window exists";
    const std::vector<std::wstring> items = search(L"note");
    EXPECT_EQ(items.size(), 1u);
    EXPECT_TRUE(contains(items, shown(L"Notepad Editor")));
    EXPECT_TRUE(contains(search(L"edit"), shown(L"Registry Editor")));
    EXPECT_TRUE(search(L"zzq").empty());
}

TEST_F(FloatBarProgram, FirstStartStandsAboveTheTaskbarAtTheRightAsAThinTopmostStrip) {
    startAndLoad(first);
    const RECT strip = windowRect(windows.strip), band = windowRect(windows.band), bar = windowRect(windows.bar);
    const RECT work = workArea();
    EXPECT_EQ(strip.right, work.right);
    EXPECT_EQ(strip.bottom, work.bottom);
    EXPECT_EQ(strip.right - strip.left, FloatBarDefaultWidth);
    EXPECT_EQ(strip.bottom - strip.top, bar.bottom - bar.top) << "the strip is the band's height";
    EXPECT_EQ(band.bottom - band.top, bar.bottom - bar.top);
    EXPECT_EQ(band.left - strip.left, FloatBarGripWidth);
    EXPECT_EQ(strip.right - band.right, FloatBarEdgeWidth);
    EXPECT_EQ(bar.right - bar.left, band.right - band.left) << "the band sized its bar to the width given";
    const LONG style = GetWindowLongW(windows.strip, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(windows.strip, GWL_EXSTYLE);
    EXPECT_NE(style & WS_POPUP, 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0) << "borderless";
    EXPECT_NE(exStyle & WS_EX_TOPMOST, 0);
    EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0) << "no taskbar button of its own";
    DWORD value = 0;
    EXPECT_FALSE(settingDword(SettingName::FloatingBarLeft, value)) << "nothing is remembered before a drag";
}

TEST_F(FloatBarProgram, DraggedPlaceAndWidthSurviveARestart) {
    startAndLoad(first);
    const RECT before = windowRect(windows.strip);
    drag(3, -200, -100);
    const RECT moved = windowRect(windows.strip);
    EXPECT_EQ(moved.left, before.left - 200);
    EXPECT_EQ(moved.top, before.top - 100);
    EXPECT_EQ(moved.right - moved.left, before.right - before.left);
    const int width = moved.right - moved.left;
    drag(width - 2, 60, 15);
    const RECT widened = windowRect(windows.strip);
    EXPECT_EQ(widened.left, moved.left);
    EXPECT_EQ(widened.top, moved.top) << "a width drag does not move the strip";
    EXPECT_EQ(widened.right - widened.left, width + 60);
    EXPECT_EQ(windowRect(windows.bar).right - windowRect(windows.bar).left, width + 60 - FloatBarGripWidth -
                                                                                FloatBarEdgeWidth);
    DWORD left = 0, top = 0, savedWidth = 0;
    ASSERT_TRUE(settingDword(SettingName::FloatingBarLeft, left));
    ASSERT_TRUE(settingDword(SettingName::FloatingBarTop, top));
    ASSERT_TRUE(settingDword(SettingName::FloatingBarWidth, savedWidth));
    EXPECT_EQ(static_cast<LONG>(left), widened.left);
    EXPECT_EQ(static_cast<LONG>(top), widened.top);
    EXPECT_EQ(static_cast<LONG>(savedWidth), width + 60);

    askToExit(first);
    ASSERT_EQ(first.waitForExit(), static_cast<DWORD>(ExitClosedCleanly));
    ASSERT_TRUE(waitFor([] { return findFloatBar() == nullptr; }));
    startAndLoad(second);
    const RECT restarted = windowRect(windows.strip);
    EXPECT_EQ(restarted.left, widened.left);
    EXPECT_EQ(restarted.top, widened.top);
    EXPECT_EQ(restarted.right, widened.right);
    EXPECT_EQ(restarted.bottom, widened.bottom);
}

TEST_F(FloatBarProgram, ADragPastTheScreenEdgeEndsInsideTheWorkArea) {
    startAndLoad(first);
    drag(3, 900, 900);
    const RECT strip = windowRect(windows.strip), work = workArea();
    EXPECT_EQ(strip.right, work.right);
    EXPECT_EQ(strip.bottom, work.bottom);
    DWORD left = 0;
    ASSERT_TRUE(settingDword(SettingName::FloatingBarLeft, left));
    EXPECT_EQ(static_cast<LONG>(left), strip.left) << "the place inside is remembered";
}

TEST_F(FloatBarProgram, AnOffScreenPlaceIsBroughtBack) {
    // As saved on a monitor that has been removed since.
    setSettingDword(SettingName::FloatingBarLeft, 5000);
    setSettingDword(SettingName::FloatingBarTop, static_cast<DWORD>(-3000));
    setSettingDword(SettingName::FloatingBarWidth, 400);
    startAndLoad(first);
    const RECT strip = windowRect(windows.strip), work = workArea();
    EXPECT_EQ(strip.right, work.right);
    EXPECT_EQ(strip.top, work.top);
    EXPECT_EQ(strip.right - strip.left, 400) << "the saved width is kept";
}

TEST_F(FloatBarProgram, ASecondStartExitsAndShowsTheFirst) {
    startAndLoad(first);
    PostMessageW(windows.strip, WM_COMMAND, ShowBarCommandId, 0);
    const HWND strip = windows.strip;
    ASSERT_TRUE(waitFor([strip] { return !IsWindowVisible(strip); })) << "Show Bar hides a shown bar";
    ASSERT_TRUE(second.start());
    EXPECT_EQ(second.waitForExit(), static_cast<DWORD>(ExitAlreadyRunning));
    EXPECT_TRUE(waitFor([strip] { return IsWindowVisible(strip) != FALSE; })) << "the first bar is shown again";
    EXPECT_EQ(floatBarWindows().size(), 1u);
    EXPECT_TRUE(first.running());
}

TEST_F(FloatBarProgram, ShowBarAndTheIconsClickHideAndShowTheBar) {
    startAndLoad(first);
    const HWND strip = windows.strip, band = windows.band;
    PostMessageW(strip, WM_COMMAND, ShowBarCommandId, 0);
    ASSERT_TRUE(waitFor([strip] { return !IsWindowVisible(strip); }));
    EXPECT_FALSE(IsWindowVisible(band)) << "the band was hidden with ShowDW";
    PostMessageW(strip, WM_COMMAND, ShowBarCommandId, 0);
    ASSERT_TRUE(waitFor([strip] { return IsWindowVisible(strip) != FALSE; }));
    EXPECT_TRUE(IsWindowVisible(band));
    // The notification-area icon's left click, as the shell reports it.
    PostMessageW(strip, NotifyIconMessage, NotifyIconId, WM_LBUTTONUP);
    ASSERT_TRUE(waitFor([strip] { return !IsWindowVisible(strip); }));
    PostMessageW(strip, NotifyIconMessage, NotifyIconId, WM_LBUTTONUP);
    ASSERT_TRUE(waitFor([strip] { return IsWindowVisible(strip) != FALSE; }));
    EXPECT_TRUE(contains(search(L"note"), shown(L"Notepad Editor"))) << "the band works as before";
}

TEST_F(FloatBarProgram, TheHotKeyShowsAHiddenBarWithTheFocusInTheSearchBox) {
    startAndLoad(first);
    const HWND strip = windows.strip, edit = windows.edit;
    PostMessageW(strip, WM_COMMAND, ShowBarCommandId, 0);
    ASSERT_TRUE(waitFor([strip] { return !IsWindowVisible(strip); }));
    // Win+S, the band's hot key by default, as the keyboard gives it.
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_LWIN, 'S', 'S', VK_LWIN};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
    EXPECT_TRUE(waitFor([strip] { return IsWindowVisible(strip) != FALSE; }, 10000));
    EXPECT_TRUE(waitFor([edit] { return focusedWindow(edit) == edit; }, 10000));
}

TEST_F(FloatBarProgram, KeyboardTypingGoesThroughTheHostAndEnterLaunches) {
    // A program whose start leaves a file behind.
    const std::wstring marker = startMenu + L"\\launched.txt";
    writeShortcut(startMenu + L"\\Marker Maker.lnk", systemFile(L"cmd.exe"),
                  L"/c echo launched> \"" + marker + L"\"");
    startAndLoad(first);
    // Keys of the keyboard pass the host's message loop, which offers them to the band.
    std::vector<INPUT> keys;
    for (WORD key : {WORD('M'), WORD('A'), WORD('R'), WORD('K'), WORD(VK_RETURN)}) {
        INPUT press{};
        press.type = INPUT_KEYBOARD;
        press.ki.wVk = key;
        keys.push_back(press);
        press.ki.dwFlags = KEYEVENTF_KEYUP;
        keys.push_back(press);
    }
    ASSERT_EQ(SendInput(8, keys.data(), sizeof(INPUT)), 8u);
    const HWND box = windows.box;
    ASSERT_TRUE(waitFor([box] { return contains(listItems(box), shown(L"Marker Maker")); }, 10000));
    ASSERT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES);
    // Enter goes when the user would press it: every key taken, the first item chosen and shown.
    const size_t chosenLength = shown(L"Marker Maker").size();
    ASSERT_TRUE(waitFor([box, chosenLength] {
        return static_cast<size_t>(SendMessageW(box, WM_GETTEXTLENGTH, 0, 0)) == chosenLength &&
               SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0) != 0;
    }, 10000));
    ASSERT_EQ(SendInput(2, keys.data() + 8, sizeof(INPUT)), 2u);
    EXPECT_TRUE(waitFor([&marker] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        << "Enter started the selected shortcut's program";
    EXPECT_TRUE(waitFor([box] { return SendMessageW(box, WM_GETTEXTLENGTH, 0, 0) == 0; }, 10000))
        << "the box is emptied";
    const std::wstring history = dataFolder + L"\\historymapdata.xml";
    EXPECT_TRUE(waitFor([&history] { return GetFileAttributesW(history.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        << "the launch was counted";
}

TEST_F(FloatBarProgram, ADisplayChangeBringsTheStripBackIntoView) {
    startAndLoad(first);
    // As when the monitor the strip stood on is removed while it runs.
    SetWindowPos(windows.strip, nullptr, 3000, 2500, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_EQ(windowRect(windows.strip).left, 3000);
    SendMessageW(windows.strip, WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN),
                                                               GetSystemMetrics(SM_CYSCREEN)));
    const RECT strip = windowRect(windows.strip), work = workArea();
    EXPECT_EQ(strip.right, work.right);
    EXPECT_EQ(strip.bottom, work.bottom);
}

TEST_F(FloatBarProgram, SettingsStartsTheSettingsProgramBesideIt) {
    startAndLoad(first);
    PostMessageW(windows.strip, WM_COMMAND, OpenSettingsCommandId, 0);
    HWND marker = nullptr;
    ASSERT_TRUE(waitFor([&marker] { return (marker = FindWindowW(L"KESTBARPropSheet2006", nullptr)) != nullptr; }))
        << "kestconf.exe shows its sheet";
    const HWND sheet = GetWindow(marker, GW_OWNER);
    ASSERT_NE(sheet, nullptr);
    wchar_t caption[64] = L"";
    GetWindowTextW(sheet, caption, 64);
    EXPECT_STREQ(caption, L"Kestrune Settings");
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    EXPECT_TRUE(waitFor([] { return FindWindowW(L"KESTBARPropSheet2006", nullptr) == nullptr; }));
}

TEST_F(FloatBarProgram, TheSettingsProgramsReloadRequestRescans) {
    startAndLoad(first);
    ASSERT_TRUE(search(L"zebra").empty());
    writeShortcut(startMenu + L"\\Zebra Paint.lnk", systemFile(L"notepad.exe"));
    // As kestconf asks a running band to reload.
    const HWND notification = FindWindowW(NotificationWindowClass, nullptr);
    ASSERT_NE(notification, nullptr);
    PostMessageW(notification, WM_COMMAND, 3008, 0);
    // The search box is hidden while the band scans; it gets the focus back once shown.
    EXPECT_TRUE(waitFor([this] {
        return waitForLoadedBar(windows) && bringFocusToSearchBox() && contains(search(L"zebra"), shown(L"Zebra Paint"));
    }));
}

TEST_F(FloatBarProgram, ExitDuringAScanClosesTheBandCleanly) {
    for (int folder = 0; folder < 3; ++folder) {
        const std::wstring path = startMenu + L"\\F" + std::to_wstring(folder);
        CreateDirectoryW(path.c_str(), nullptr);
        for (int i = 0; i < 20; ++i) writeShortcut(path + L"\\S" + std::to_wstring(i) + L".lnk", systemFile(L"notepad.exe"));
    }
    ASSERT_TRUE(first.start());
    HWND strip = nullptr;
    ASSERT_TRUE(waitFor([&strip] { return (strip = findFloatBar()) && IsWindowVisible(strip); }));
    const HWND band = GetWindow(strip, GW_CHILD);
    const HWND box = band && GetWindow(band, GW_CHILD) ? findDescendant(GetWindow(band, GW_CHILD), L"ComboBox") : nullptr;
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindowVisible(box)) << "the band is still scanning";
    PostMessageW(strip, WM_COMMAND, ExitCommandId, 0);
    EXPECT_EQ(first.waitForExit(), static_cast<DWORD>(ExitClosedCleanly)) << "DllCanUnloadNow said S_OK";
    EXPECT_EQ(FindWindowW(NotificationWindowClass, nullptr), nullptr);
}

TEST_F(FloatBarProgram, ClosingTheWindowExitsCleanlyAfterUse) {
    startAndLoad(first);
    EXPECT_FALSE(search(L"reg").empty());
    PostMessageW(windows.strip, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.waitForExit(), static_cast<DWORD>(ExitClosedCleanly));
}

// Exit asked for while a modal loop of the bar or the band runs inside one of their
// handlers: the loop ends first, the band is closed from the program's own message loop,
// and the module is left unloadable.
class FloatBarExitFromModalLoop : public FloatBarProgram {
protected:
    // A shown top-level window of this class that belongs to the floating bar's process.
    HWND shownWindowOfProcess(const wchar_t* className) const {
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == first.id() && IsWindowVisible(window)) return window;
        }
        return nullptr;
    }
    // Opens the band's About box as its menu's "About..." does; the box's modal loop runs
    // inside the bar's command handler.
    HWND openAboutBox() {
        PostMessageW(windows.bar, WM_COMMAND, AboutCommandId, 0);
        HWND about = nullptr;
        waitFor([this, &about] { return (about = shownWindowOfProcess(L"#32770")) != nullptr; }, 10000);
        return about;
    }
    // Waits until a popup menu of the floating bar's process is shown.
    bool menuShown() {
        return waitFor([this] { return shownWindowOfProcess(L"#32768") != nullptr; }, 10000);
    }
};

TEST_F(FloatBarExitFromModalLoop, TheExitCommandWhileTheAboutBoxIsOpen) {
    startAndLoad(first);
    const HWND about = openAboutBox();
    ASSERT_NE(about, nullptr) << "the About box opened";
    // As the installer asks a running bar to exit.
    SendMessageTimeoutW(windows.strip, WM_COMMAND, ExitCommandId, 0, SMTO_NORMAL, 10000, nullptr);
    EXPECT_EQ(first.waitForExit(), static_cast<DWORD>(ExitClosedCleanly));
}

TEST_F(FloatBarExitFromModalLoop, TheExitCommandWhileTheBandsMenuIsOpen) {
    startAndLoad(first);
    // The band's menu button, clicked: its menu's loop runs inside the bar's handler.
    const HWND menuButton = GetDlgItem(windows.bar, BandMenuButtonId);
    ASSERT_NE(menuButton, nullptr);
    PostMessageW(windows.bar, WM_COMMAND, MAKEWPARAM(BandMenuButtonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(menuButton));
    ASSERT_TRUE(menuShown()) << "the band's menu opened";
    PostMessageW(windows.strip, WM_COMMAND, ExitCommandId, 0);
    EXPECT_EQ(first.waitForExit(), static_cast<DWORD>(ExitClosedCleanly));
}

TEST_F(FloatBarExitFromModalLoop, TheIconMenusExitWhileTheAboutBoxIsOpen) {
    startAndLoad(first);
    ASSERT_NE(openAboutBox(), nullptr);
    // The icon's right click opens the floating bar's own menu over the About box.
    PostMessageW(windows.strip, NotifyIconMessage, NotifyIconId, WM_RBUTTONUP);
    ASSERT_TRUE(menuShown()) << "the icon's menu opened";
    // "Exit" chosen in it: the menu closes and posts its command.
    const HWND menu = shownWindowOfProcess(L"#32768");
    PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(first.waitForExit(), static_cast<DWORD>(ExitClosedCleanly));
}

TEST_F(FloatBarExitFromModalLoop, TheEndOfTheSessionWhileTheAboutBoxIsOpen) {
    startAndLoad(first);
    ASSERT_NE(openAboutBox(), nullptr);
    SendMessageTimeoutW(windows.strip, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, nullptr);
    SendMessageTimeoutW(windows.strip, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, nullptr);
    EXPECT_EQ(first.waitForExit(), static_cast<DWORD>(ExitClosedCleanly));
}

}  // namespace
}  // namespace kest::test
