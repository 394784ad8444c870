#include "SheetDriver.h"
#include "BandNotification.h"
#include "CSettingDialog.h"
#include "ContextMenuSettings.h"
#include "UniqueHandle.h"
#include "resource.h"
#include <string>

using namespace kest;

namespace {

RECT clientRect(HWND sheet, int id) {
    RECT bounds{};
    GetWindowRect(GetDlgItem(sheet, id), &bounds);
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

std::wstring windowText(HWND hwnd) {
    wchar_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    return text;
}

// kestconf.exe of this build, as a Windows path.
std::wstring programPath() {
    std::string folder = KEST_OUTPUT_DIR;
    std::wstring path = L"Z:";
    for (char c : folder) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path + L"\\kestconf.exe";
}

struct Program {
    UniqueKernelHandle process;
    // In folder when given, as the band starts it beside itself.
    bool start(const wchar_t* folder = nullptr) {
        std::wstring commandLine = L"\"" + programPath() + L"\"";
        STARTUPINFOW startup{sizeof(startup)};
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                            &info))
            return false;
        CloseHandle(info.hThread);
        process.reset(info.hProcess);
        return true;
    }
    bool ended(DWORD bound = 15000) const { return WaitForSingleObject(process.get(), bound) == WAIT_OBJECT_0; }
    DWORD exitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.get(), &code);
        return code;
    }
    // A shown top-level window of the program other than except.
    HWND otherShownWindow(HWND except) const {
        const DWORD id = GetProcessId(process.get());
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, nullptr, nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == id && window != except && IsWindowVisible(window)) return window;
        }
        return nullptr;
    }
};

HWND waitForMarker() {
    HWND marker = nullptr;
    waitUntil([&] { return (marker = FindWindowW(SheetMarkerWindowClass, nullptr)) != nullptr; }, 15000);
    return marker;
}

int countSheets() {
    int count = 0;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", L"Kestrune Settings")) != nullptr)
        if (IsWindowVisible(window)) ++count;
    return count;
}

}  // namespace

class SettingsSheet : public SheetTest {};

TEST_F(SettingsSheet, ShowsCloseWhereHelpWasAndHelpThreePixelsToItsLeft) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        EXPECT_EQ(L"Kestrune Settings", windowText(sheet.sheet));
        HWND close = GetDlgItem(sheet.sheet, IDOK);
        HWND help = GetDlgItem(sheet.sheet, IDHELP);
        EXPECT_TRUE(IsWindowVisible(close));
        EXPECT_TRUE(IsWindowEnabled(close));
        EXPECT_EQ(L"Close", windowText(close));
        EXPECT_TRUE(IsWindowVisible(help));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet.sheet, IDCANCEL)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet.sheet, IDC_SHEET_APPLY)));
        const RECT closeRect = clientRect(sheet.sheet, IDOK);
        const RECT helpRect = clientRect(sheet.sheet, IDHELP);
        EXPECT_EQ(closeRect.top, helpRect.top);
        EXPECT_EQ(closeRect.right - closeRect.left, helpRect.right - helpRect.left);
        EXPECT_EQ(closeRect.bottom - closeRect.top, helpRect.bottom - helpRect.top);
        EXPECT_EQ(3, closeRect.left - helpRect.right);
        // Help was the rightmost button: Close now ends where the hidden buttons' row ends.
        const RECT cancelRect = clientRect(sheet.sheet, IDCANCEL);
        const RECT applyRect = clientRect(sheet.sheet, IDC_SHEET_APPLY);
        EXPECT_GT(closeRect.left, cancelRect.left);
        EXPECT_GT(closeRect.left, applyRect.left);
        EXPECT_EQ(cancelRect.top, closeRect.top);
        sheet.closeWithCloseButton();
    }));
}

TEST_F(SettingsSheet, SetsItsIconsAndPaintsTheBadgeWithWhiteTransparent) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        EXPECT_NE(0, SendMessageW(sheet.sheet, WM_GETICON, ICON_SMALL, 0));
        EXPECT_NE(0, SendMessageW(sheet.sheet, WM_GETICON, ICON_BIG, 0));
        RedrawWindow(sheet.sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        sheet.sync();
        // The badge stays beside the buttons, whatever the pages and the dialog font: at 96 DPI
        // with dialog units of 6 by 13 pixels per 4 by 8 it is 6 pixels from the left edge and
        // 1 pixel above the Close button, and it keeps that place in the sheet's own dialog
        // units. The K of its lettering starts at (8, 4) of the picture.
        const RECT close = clientRect(sheet.sheet, IDOK);
        RECT units{0, 0, 4, 8};
        MapDialogRect(sheet.sheet, &units);
        const int left = MulDiv(6, units.right, 6);
        const int top = close.top - MulDiv(1, units.bottom, 13);
        HDC dc = GetDC(sheet.sheet);
        const COLORREF letter = GetPixel(dc, left + 8, top + 4);
        const COLORREF corner = GetPixel(dc, left + 1, top + 1);
        const COLORREF beside = GetPixel(dc, left - 3, top + 1);
        ReleaseDC(sheet.sheet, dc);
        EXPECT_EQ(RGB(160, 80, 20), letter);
        EXPECT_NE(RGB(255, 255, 255), corner);
        EXPECT_EQ(beside, corner);
        sheet.closeWithCloseButton();
    }));
}

TEST_F(SettingsSheet, MarkerWindowLivesExactlyWhileTheSheetIsOpen) {
    EXPECT_EQ(nullptr, FindWindowW(SheetMarkerWindowClass, nullptr));
    SheetDriver driver;
    HWND marker = nullptr;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        marker = FindWindowW(SheetMarkerWindowClass, nullptr);
        EXPECT_FALSE(IsWindowVisible(marker));
        EXPECT_EQ(sheet.sheet, GetWindow(marker, GW_OWNER));
        sheet.cancel();
    }));
    EXPECT_FALSE(IsWindow(marker));
    EXPECT_EQ(nullptr, FindWindowW(SheetMarkerWindowClass, nullptr));
}

class SettingsProgram : public SheetTest {};

TEST_F(SettingsProgram, FirstStartOnAnEmptyRegistryCreatesTheContextMenuValues) {
    ASSERT_FALSE(keyExists(SettingsKeyPath));
    Program program;
    ASSERT_TRUE(program.start());
    HWND marker = waitForMarker();
    ASSERT_NE(nullptr, marker);
    EXPECT_EQ(6u, valueCount(ContextMenuKeyPath));
    EXPECT_EQ(1u, dwordValue(ContextMenuKeyPath, ContextMenuSettingName::ShowOpenInCommandWindow));
    EXPECT_EQ(1u, dwordValue(ContextMenuKeyPath, ContextMenuSettingName::ShowCopyPathName));
    EXPECT_EQ(1u, dwordValue(ContextMenuKeyPath, ContextMenuSettingName::ShowCopyShortPathName));
    EXPECT_EQ(1u, dwordValue(ContextMenuKeyPath, ContextMenuSettingName::ShowRun));
    EXPECT_EQ(L"exe, com, bat", textValue(ContextMenuSettingName::RunFileTypes));
    EXPECT_EQ(L"cmd.exe", textValue(ContextMenuSettingName::CommandWindowApplication));
    // The search-bar values are only read: the key exists without them.
    EXPECT_FALSE(readRaw(SettingsKeyPath, SettingName::IncludeHistory).present);
    HWND sheet = GetWindow(marker, GW_OWNER);
    PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet, IDOK)));
    EXPECT_TRUE(program.ended());
}

TEST_F(SettingsProgram, SecondStartEndsAndLeavesTheFirstSheetOpen) {
    Program first;
    ASSERT_TRUE(first.start());
    HWND marker = waitForMarker();
    ASSERT_NE(nullptr, marker);
    HWND sheet = GetWindow(marker, GW_OWNER);
    // The marker is made while the sheet initialises; the sheet shows a moment later.
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(sheet) && GetTickCount() - start < 10000) Sleep(20);

    Program second;
    ASSERT_TRUE(second.start());
    EXPECT_TRUE(second.ended());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(first.process.get(), 0));
    EXPECT_TRUE(IsWindow(marker));
    EXPECT_EQ(marker, FindWindowW(SheetMarkerWindowClass, nullptr));
    EXPECT_EQ(1, countSheets());

    PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet, IDOK)));
    EXPECT_TRUE(first.ended());
    EXPECT_EQ(nullptr, FindWindowW(SheetMarkerWindowClass, nullptr));

    // The marker died with the first sheet: a new start shows a sheet again.
    Program third;
    ASSERT_TRUE(third.start());
    marker = waitForMarker();
    ASSERT_NE(nullptr, marker);
    sheet = GetWindow(marker, GW_OWNER);
    PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(third.ended());
}

TEST_F(SettingsProgram, EndsCleanlyWithItsHelpWindowOpen) {
    Program program;
    const std::wstring folder = programPath().substr(0, programPath().rfind(L'\\'));
    ASSERT_TRUE(program.start(folder.c_str()));
    const HWND marker = waitForMarker();
    ASSERT_NE(nullptr, marker);
    const HWND sheet = GetWindow(marker, GW_OWNER);
    PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDHELP, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet, IDHELP)));
    HWND help = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (help = program.otherShownWindow(sheet)) != nullptr; }, 15000))
        << "the Help button opened a help window";
    PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet, IDOK)));
    ASSERT_TRUE(program.ended());
    EXPECT_EQ(0u, program.exitCode()) << "the help control was unloaded only after its windows had closed";
    EXPECT_FALSE(IsWindow(help));
}

TEST_F(SettingsProgram, SecondStartWhileThisProcessShowsTheSheetDoesNotShowAnother) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        Program second;
        ASSERT_TRUE(second.start());
        EXPECT_TRUE(second.ended());
        EXPECT_TRUE(IsWindowVisible(sheet.sheet));
        EXPECT_EQ(1, countSheets());
        sheet.closeWithCloseButton();
    }));
}
