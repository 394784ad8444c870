#include "SheetDriver.h"
#include "ContextMenuSettings.h"
#include "resource.h"

using namespace kest;
namespace names = kest::ContextMenuSettingName;

namespace {

bool checked(HWND page, int id) { return SendDlgItemMessageW(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void type(HWND page, int id, const wchar_t* text) {
    SendDlgItemMessageW(page, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

}  // namespace

class ContextMenuPage : public SheetTest {};

TEST_F(ContextMenuPage, ConstructingTheSheetWritesTheMissingDefaults) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        // The Context Menu tab has not been opened.
        EXPECT_EQ(1u, dwordValue(ContextMenuKeyPath, names::ShowOpenInCommandWindow));
        EXPECT_EQ(1u, dwordValue(ContextMenuKeyPath, names::ShowCopyPathName));
        EXPECT_EQ(1u, dwordValue(ContextMenuKeyPath, names::ShowCopyShortPathName));
        EXPECT_EQ(1u, dwordValue(ContextMenuKeyPath, names::ShowRun));
        EXPECT_EQ(L"exe, com, bat", textValue(names::RunFileTypes));
        EXPECT_EQ(L"cmd.exe", textValue(names::CommandWindowApplication));
        sheet.closeWithCloseButton();
    }));
}

TEST_F(ContextMenuPage, StoredValuesAreShownAndTheirEditsFollowTheGoverningBoxes) {
    ASSERT_EQ(ERROR_SUCCESS, storeShowFlag(names::ShowOpenInCommandWindow, false));
    ASSERT_EQ(ERROR_SUCCESS, storeShowFlag(names::ShowCopyShortPathName, false));
    ASSERT_EQ(ERROR_SUCCESS, storeText(names::CommandWindowApplication, L"powershell.exe"));
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.showContextMenuPage();
        ASSERT_NE(nullptr, page);
        EXPECT_FALSE(checked(page, IDC_SHOW_OPEN_IN_DOS_BOX));
        EXPECT_TRUE(checked(page, IDC_SHOW_COPY_PATH_NAME));
        EXPECT_FALSE(checked(page, IDC_SHOW_COPY_SHORT_PATH_NAME));
        EXPECT_TRUE(checked(page, IDC_SHOW_RUN));
        wchar_t text[64] = {};
        GetDlgItemTextW(page, IDC_CONSOLE_APPLICATION, text, 64);
        EXPECT_STREQ(L"powershell.exe", text);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_CONSOLE_APPLICATION)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_RUN_FILE_TYPES)));
        sheet.closeWithCloseButton();
    }));
}

TEST_F(ContextMenuPage, CheckBoxesAreWrittenWhenClicked) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.showContextMenuPage();
        sheet.click(page, IDC_SHOW_COPY_PATH_NAME);
        EXPECT_EQ(0u, dwordValue(ContextMenuKeyPath, names::ShowCopyPathName));
        sheet.click(page, IDC_SHOW_COPY_SHORT_PATH_NAME);
        EXPECT_EQ(0u, dwordValue(ContextMenuKeyPath, names::ShowCopyShortPathName));
        sheet.click(page, IDC_SHOW_COPY_PATH_NAME);
        EXPECT_EQ(1u, dwordValue(ContextMenuKeyPath, names::ShowCopyPathName));
        sheet.cancel();
    }));
}

TEST_F(ContextMenuPage, ClickingOpenInDosBoxStoresTheTypedApplicationAtOnce) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.showContextMenuPage();
        type(page, IDC_CONSOLE_APPLICATION, L"wt.exe");
        sheet.click(page, IDC_SHOW_OPEN_IN_DOS_BOX);
        EXPECT_EQ(0u, dwordValue(ContextMenuKeyPath, names::ShowOpenInCommandWindow));
        EXPECT_EQ(L"wt.exe", textValue(names::CommandWindowApplication));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_CONSOLE_APPLICATION)));
        sheet.cancel();
    }));
    EXPECT_EQ(L"wt.exe", textValue(names::CommandWindowApplication));
}

TEST_F(ContextMenuPage, ClearingRunDisablesTheTypesAndStillStoresThem) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.showContextMenuPage();
        type(page, IDC_RUN_FILE_TYPES, L"exe, py");
        sheet.click(page, IDC_SHOW_RUN);
        EXPECT_EQ(0u, dwordValue(ContextMenuKeyPath, names::ShowRun));
        EXPECT_EQ(L"exe, py", textValue(names::RunFileTypes));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_RUN_FILE_TYPES)));
        sheet.click(page, IDC_SHOW_RUN);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_RUN_FILE_TYPES)));
        sheet.cancel();
    }));
}

TEST_F(ContextMenuPage, CancellingDiscardsTheTypedTexts) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.showContextMenuPage();
        type(page, IDC_CONSOLE_APPLICATION, L"bash.exe");
        type(page, IDC_RUN_FILE_TYPES, L"sh");
        sheet.cancel();
    }));
    EXPECT_EQ(L"cmd.exe", textValue(names::CommandWindowApplication));
    EXPECT_EQ(L"exe, com, bat", textValue(names::RunFileTypes));
}

TEST_F(ContextMenuPage, CloseStoresTheTypedTexts) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.showContextMenuPage();
        type(page, IDC_CONSOLE_APPLICATION, L"bash.exe");
        type(page, IDC_RUN_FILE_TYPES, L"");
        EXPECT_EQ(L"cmd.exe", textValue(names::CommandWindowApplication));
        sheet.closeWithCloseButton();
    }));
    EXPECT_EQ(L"bash.exe", textValue(names::CommandWindowApplication));
    EXPECT_EQ(L"", textValue(names::RunFileTypes));
}

TEST_F(ContextMenuPage, TextsAreLimitedToWhatCanBeReadBack) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.showContextMenuPage();
        EXPECT_EQ(259, SendDlgItemMessageW(page, IDC_CONSOLE_APPLICATION, EM_GETLIMITTEXT, 0, 0));
        EXPECT_EQ(2047, SendDlgItemMessageW(page, IDC_RUN_FILE_TYPES, EM_GETLIMITTEXT, 0, 0));
        // Typing goes through the limit; WM_SETTEXT would not.
        HWND edit = GetDlgItem(page, IDC_CONSOLE_APPLICATION);
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        for (int i = 0; i < 270; ++i) SendMessageW(edit, WM_CHAR, L'a', 0);
        EXPECT_EQ(259, GetWindowTextLengthW(edit));
        sheet.closeWithCloseButton();
    }));
    EXPECT_EQ(std::wstring(259, L'a'), textValue(names::CommandWindowApplication));
    EXPECT_EQ(std::wstring(259, L'a'), readCommandWindowApplication().value_or(L""));
}

TEST_F(ContextMenuPage, ChangesOnThisPageSendNoReloadRequest) {
    SheetDriver driver;
    driver.startFakeBand();
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.showContextMenuPage();
        sheet.click(page, IDC_SHOW_COPY_PATH_NAME);
        sheet.click(page, IDC_SHOW_RUN);
        type(page, IDC_CONSOLE_APPLICATION, L"bash.exe");
        sheet.closeWithCloseButton();
    }));
    EXPECT_EQ(0u, dwordValue(ContextMenuKeyPath, names::ShowCopyPathName));
    EXPECT_EQ(0, driver.reloadRequests());
}
