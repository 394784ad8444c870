#include "SheetDriver.h"
#include "SearchBarSettings.h"
#include "StringListKey.h"
#include "resource.h"
#include "CSettingDialog.h"
#include "DefaultScanLocations.h"
#include <commctrl.h>
#include <algorithm>

using namespace kest;

namespace {

bool checked(HWND page, int id) { return SendDlgItemMessageW(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
int comboSelection(HWND page, int id) { return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0)); }

std::wstring hotKeyNote(HWND page) {
    wchar_t text[64] = {};
    GetDlgItemTextW(page, IDC_HOTKEY_IN_USE, text, 64);
    return text;
}

// Another program's hot key, held for the length of a test by the test's own thread.
class HeldHotKey {
public:
    HeldHotKey(UINT modifiers, UINT virtualKey) : held_(RegisterHotKey(nullptr, Id, modifiers, virtualKey) != FALSE) {}
    ~HeldHotKey() { release(); }
    HeldHotKey(const HeldHotKey&) = delete;
    HeldHotKey& operator=(const HeldHotKey&) = delete;
    bool held() const noexcept { return held_; }
    void release() {
        if (held_) UnregisterHotKey(nullptr, Id);
        held_ = false;
    }

private:
    static constexpr int Id = 0x7003;
    bool held_;
};

}  // namespace

class StartMenuPageStorage : public SheetTest {};

TEST_F(StartMenuPageStorage, EveryCheckBoxIsWrittenTheMomentItIsClicked) {
    SheetDriver driver;
    struct Case {
        int id;
        const wchar_t* name;
        bool before;
    };
    const Case cases[] = {{IDC_INCLUDE_FOLDER_ITEMS, SettingName::IncludeFolderItems, true},
                          {IDC_INCLUDE_HISTORY, SettingName::IncludeHistory, true},
                          {IDC_RESCAN_ON_STARTUP, SettingName::ForceUpdateOnStartup, true},
                          {IDC_FOLLOW_CHANGES, SettingName::WatchScanLocations, true},
                          {IDC_INCLUDE_PACKAGED_APPS, SettingName::IncludePackagedApps, true},
                          {IDC_DISPLAY_COMPUTER_NAME, SettingName::DisplayComputerName, true},
                          {IDC_USE_WINDOWS_COLORS, SettingName::UsingWindowsColors, false},
                          {IDC_INCLUDE_SETTINGS_PAGES, SettingName::IncludeSettingsPages, true},
                          {IDC_INCLUDE_CONTROL_PANEL, SettingName::IncludeControlPanel, true},
                          {IDC_INCLUDE_SYSTEM_COMMANDS, SettingName::IncludeSystemCommands, true}};
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        for (const Case& c : cases) {
            EXPECT_EQ(c.before, checked(page, c.id));
            EXPECT_FALSE(readRaw(SettingsKeyPath, c.name).present);
            sheet.click(page, c.id);
            EXPECT_EQ(!c.before, checked(page, c.id));
            EXPECT_EQ(c.before ? 0u : 1u, dwordValue(SettingsKeyPath, c.name));
            sheet.click(page, c.id);
            EXPECT_EQ(c.before ? 1u : 0u, dwordValue(SettingsKeyPath, c.name)) << "and restored";
        }
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageStorage, RadioGroupsAreWrittenAsTheCheckedButtonsIndex) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        EXPECT_TRUE(checked(page, IDC_MATCH_ALL));
        EXPECT_TRUE(checked(page, IDC_AUTOSELECT_FIRST));
        sheet.click(page, IDC_MATCH_WORD_START);
        EXPECT_EQ(2u, dwordValue(SettingsKeyPath, SettingName::MatchMode));
        sheet.click(page, IDC_MATCH_START);
        EXPECT_EQ(1u, dwordValue(SettingsKeyPath, SettingName::MatchMode));
        EXPECT_FALSE(checked(page, IDC_MATCH_WORD_START));
        sheet.click(page, IDC_AUTOSELECT_MRU);
        EXPECT_EQ(2u, dwordValue(SettingsKeyPath, SettingName::AutoSelectMode));
        sheet.click(page, IDC_AUTOSELECT_MFU);
        EXPECT_EQ(1u, dwordValue(SettingsKeyPath, SettingName::AutoSelectMode));
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageStorage, StoredModeOutsideTheGroupLeavesEveryButtonUnchecked) {
    setDword(SettingName::MatchMode, 4);
    setDword(SettingName::AutoSelectMode, 7);
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        for (int id = IDC_MATCH_ALL; id <= IDC_AUTOSELECT_MRU; ++id) EXPECT_FALSE(checked(page, id)) << id;
        EXPECT_FALSE(checked(page, IDC_MATCH_BEST));
        sheet.closeWithCloseButton();
    }));
}

// Best Match ranks by itself: while it is chosen the Auto-Select group is greyed, and Clear
// History stays as it was.
TEST_F(StartMenuPageStorage, BestMatchIsWrittenAs3AndGreysAutoSelect) {
    const auto autoSelectEnabled = [](HWND page) {
        int enabled = 0;
        for (int id : {IDC_AUTOSELECT_GROUP, IDC_AUTOSELECT_FIRST, IDC_AUTOSELECT_MFU, IDC_AUTOSELECT_MRU})
            enabled += IsWindowEnabled(GetDlgItem(page, id)) ? 1 : 0;
        return enabled;
    };
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        EXPECT_EQ(4, autoSelectEnabled(page));
        sheet.click(page, IDC_MATCH_BEST);
        EXPECT_EQ(3u, dwordValue(SettingsKeyPath, SettingName::MatchMode));
        EXPECT_FALSE(checked(page, IDC_MATCH_ALL));
        EXPECT_EQ(0, autoSelectEnabled(page));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_CLEAR_HISTORY)));
        sheet.click(page, IDC_MATCH_WORD_START);
        EXPECT_EQ(2u, dwordValue(SettingsKeyPath, SettingName::MatchMode));
        EXPECT_EQ(4, autoSelectEnabled(page));
        sheet.closeWithCloseButton();
    }));
}

class StartMenuPageHotKey : public SheetTest {};

TEST_F(StartMenuPageHotKey, CombosOfferFourModifiersAnd38KeysShowingTheStoredWinS) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        EXPECT_EQ(4, SendDlgItemMessageW(page, IDC_HOTKEY_MODIFIER, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(38, SendDlgItemMessageW(page, IDC_HOTKEY_KEY, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(3, comboSelection(page, IDC_HOTKEY_MODIFIER));  // WIN
        EXPECT_EQ(30, comboSelection(page, IDC_HOTKEY_KEY));      // S
        wchar_t text[16] = {};
        SendDlgItemMessageW(page, IDC_HOTKEY_KEY, CB_GETLBTEXT, 7, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(L"F5", text);
        EXPECT_FALSE(checked(page, IDC_HOTKEY_DISABLE));
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageHotKey, StoredModifier3ShowsNoModifierAndChoosingF5StoresWin) {
    setDword(SettingName::HotKeyModifiers, 3);
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        EXPECT_EQ(CB_ERR, comboSelection(page, IDC_HOTKEY_MODIFIER));
        sheet.selectCombo(page, IDC_HOTKEY_KEY, 7);  // F5
        EXPECT_EQ(116u, dwordValue(SettingsKeyPath, SettingName::HotKeyVirtualKey));
        EXPECT_EQ(8u, dwordValue(SettingsKeyPath, SettingName::HotKeyModifiers));
        EXPECT_EQ(0u, dwordValue(SettingsKeyPath, SettingName::HotKeyDisable));
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageHotKey, StoredKey48ShowsNoKeyAndChoosingCtrlStoresS) {
    setDword(SettingName::HotKeyVirtualKey, 48);
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        EXPECT_EQ(CB_ERR, comboSelection(page, IDC_HOTKEY_KEY));
        sheet.selectCombo(page, IDC_HOTKEY_MODIFIER, 1);  // CTRL
        EXPECT_EQ(2u, dwordValue(SettingsKeyPath, SettingName::HotKeyModifiers));
        EXPECT_EQ(83u, dwordValue(SettingsKeyPath, SettingName::HotKeyVirtualKey));
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageHotKey, ChosenCombinationThatAnotherProgramHoldsIsSaidToBeInUse) {
    HeldHotKey other(MOD_CONTROL, VK_F9);
    ASSERT_TRUE(other.held());
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        EXPECT_EQ(L"", hotKeyNote(page)) << "nothing recorded, nothing tried";
        sheet.selectCombo(page, IDC_HOTKEY_MODIFIER, 1);  // CTRL
        EXPECT_EQ(L"", hotKeyNote(page)) << "Ctrl+S is free";
        sheet.selectCombo(page, IDC_HOTKEY_KEY, 3);  // F9
        EXPECT_EQ(static_cast<DWORD>(VK_F9), dwordValue(SettingsKeyPath, SettingName::HotKeyVirtualKey))
            << "saved all the same";
        EXPECT_EQ(L"This key is in use.", hotKeyNote(page));
        sheet.selectCombo(page, IDC_HOTKEY_KEY, 4);  // F8
        EXPECT_EQ(L"", hotKeyNote(page));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_HOTKEY_KEY)));
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageHotKey, CombinationTheBandHoldsIsNotSaidToBeInUse) {
    // The band's side: it holds Ctrl+F9 and has recorded so.
    HeldHotKey band(MOD_CONTROL, VK_F9);
    ASSERT_TRUE(band.held());
    setDword(SettingName::HotKeyTried, MAKELONG(VK_F9, MOD_CONTROL));
    setDword(SettingName::HotKeyRegistered, 1);
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        sheet.selectCombo(page, IDC_HOTKEY_MODIFIER, 1);  // CTRL
        sheet.selectCombo(page, IDC_HOTKEY_KEY, 3);       // F9
        EXPECT_EQ(L"", hotKeyNote(page));
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageHotKey, FailureTheBandRecordedForTheSavedCombinationIsShownOnOpening) {
    setDword(SettingName::HotKeyModifiers, MOD_WIN);
    setDword(SettingName::HotKeyVirtualKey, 'S');
    setDword(SettingName::HotKeyTried, MAKELONG('S', MOD_WIN));
    setDword(SettingName::HotKeyRegistered, 0);
    SheetDriver first;
    ASSERT_TRUE(first.run([&](SheetDriver::Sheet& sheet) {
        EXPECT_EQ(L"This key is in use.", hotKeyNote(sheet.startMenuPage()));
        sheet.closeWithCloseButton();
    }));
    setDword(SettingName::HotKeyTried, MAKELONG('S', MOD_ALT));
    SheetDriver second;
    ASSERT_TRUE(second.run([&](SheetDriver::Sheet& sheet) {
        EXPECT_EQ(L"", hotKeyNote(sheet.startMenuPage())) << "the failure was for another combination";
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageHotKey, DisableIsStoredWithTheShownKeyAndLeavesTheCombosEnabled) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        sheet.click(page, IDC_HOTKEY_DISABLE);
        EXPECT_EQ(1u, dwordValue(SettingsKeyPath, SettingName::HotKeyDisable));
        EXPECT_EQ(83u, dwordValue(SettingsKeyPath, SettingName::HotKeyVirtualKey));
        EXPECT_EQ(8u, dwordValue(SettingsKeyPath, SettingName::HotKeyModifiers));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_HOTKEY_KEY)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_HOTKEY_MODIFIER)));
        sheet.closeWithCloseButton();
    }));
}

class StartMenuPageScanLocations : public SheetTest {
protected:
    // A value whose name is too long to be a list item: the page never shows it, so it
    // survives exactly until the page rewrites the subkey.
    static const std::wstring& unreadableItem() {
        static const std::wstring name = L"C:\\" + std::wstring(270, L'x');
        return name;
    }
    void storeLocations(const StringList& paths) {
        ASSERT_TRUE(WriteStringListKey(ScanPathsKeyPath, paths));
        setRaw(ScanPathsKeyPath, unreadableItem().c_str(), REG_SZ, nullptr, 0);
    }
    bool rewritten() const { return !readRaw(ScanPathsKeyPath, unreadableItem().c_str()).present; }
    // Wine enumerates a key's values sorted by name, Windows in the order they were written,
    // so what was written is compared regardless of order.
    static StringList sorted(StringList list) {
        std::sort(list.begin(), list.end());
        return list;
    }
};

TEST_F(StartMenuPageScanLocations, StoredOrderIsShownReversedAndAddAppendsAtTheBottom) {
    const std::wstring a = makeFolder(L"A"), b = makeFolder(L"B"), c = makeFolder(L"C"), d = makeFolder(L"D");
    storeLocations({a, b, c});
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        EXPECT_EQ((StringList{c, b, a}), listViewItems(page));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SCAN_EDIT)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SCAN_REMOVE)));
        bool chosen = false;
        for (int attempt = 0; attempt < 3 && !chosen; ++attempt) {
            sheet.clickAsync(page, IDC_SCAN_ADD);
            chosen = sheet.answerFolderBrowser(d);
        }
        EXPECT_TRUE(chosen);
        EXPECT_EQ((StringList{c, b, a, d}), listViewItems(page));
        EXPECT_TRUE(rewritten());
        EXPECT_EQ(sorted({c, b, a, d}), sorted(storedList(ScanPathsKeyPath)));
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageScanLocations, CancelledAddChangesNothing) {
    const std::wstring a = makeFolder(L"A"), b = makeFolder(L"B");
    storeLocations({a, b});
    SheetDriver driver;
    driver.startFakeBand();
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        sheet.clickAsync(page, IDC_SCAN_ADD);
        EXPECT_TRUE(sheet.answerFolderBrowser(L"", false));
        EXPECT_EQ((StringList{b, a}), listViewItems(page));
        EXPECT_FALSE(rewritten());
        sheet.closeWithCloseButton();
    }));
    EXPECT_EQ(0, driver.reloadRequests());
}

TEST_F(StartMenuPageScanLocations, EditReplacesTheSelectedItemThroughTheBrowser) {
    const std::wstring a = makeFolder(L"A"), b = makeFolder(L"B"), e = makeFolder(L"E");
    storeLocations({a, b});
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        HWND list = GetDlgItem(page, IDC_SCAN_LOCATIONS);
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SCAN_EDIT)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SCAN_REMOVE)));
        // Wine's browser now and then misses a folder made just before it opened: ask again.
        bool chosen = false;
        for (int attempt = 0; attempt < 3 && !chosen; ++attempt) {
            sheet.clickAsync(page, IDC_SCAN_EDIT);
            chosen = sheet.answerFolderBrowser(e);
        }
        EXPECT_TRUE(chosen);
        EXPECT_EQ((StringList{b, e}), listViewItems(page));
        EXPECT_EQ(sorted({b, e}), sorted(storedList(ScanPathsKeyPath)));
        sheet.closeWithCloseButton();
    }));
}

class StartMenuPageLabelEdit : public StartMenuPageScanLocations {
protected:
    // Types text into the in-place editor of item 0 and presses Enter in it.
    static void editLabel(const SheetDriver::Sheet& sheet, HWND page, const std::wstring& text) {
        HWND list = GetDlgItem(page, IDC_SCAN_LOCATIONS);
        SetFocus(nullptr);
        HWND editor = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, 0, 0));
        ASSERT_NE(nullptr, editor);
        SendMessageW(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
        sheet.sync();
        EXPECT_FALSE(IsWindow(editor));
    }
};

TEST_F(StartMenuPageLabelEdit, EditToAnExistingFolderReplacesTheItemAndRewritesTheList) {
    const std::wstring a = makeFolder(L"A"), b = makeFolder(L"B"), f = makeFolder(L"F");
    storeLocations({a, b});
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        editLabel(sheet, page, f);
        EXPECT_EQ((StringList{f, a}), listViewItems(page));
        EXPECT_EQ(sorted({f, a}), sorted(storedList(ScanPathsKeyPath)));
        EXPECT_TRUE(rewritten());
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageLabelEdit, EditToAMissingFolderKeepsTheOldText) {
    const std::wstring a = makeFolder(L"A"), b = makeFolder(L"B");
    storeLocations({a, b});
    SheetDriver driver;
    driver.startFakeBand();
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        editLabel(sheet, page, L"C:\\no such folder\\kestconf");
        EXPECT_EQ((StringList{b, a}), listViewItems(page));
        EXPECT_FALSE(rewritten());
        sheet.closeWithCloseButton();
    }));
    EXPECT_EQ(0, driver.reloadRequests());
}

class StartMenuPageRemove : public StartMenuPageScanLocations {};

TEST_F(StartMenuPageRemove, WithNothingSelectedDeletesNothingButRewritesTheList) {
    const std::wstring a = makeFolder(L"A"), b = makeFolder(L"B"), c = makeFolder(L"C");
    storeLocations({a, b, c});
    SheetDriver driver;
    driver.startFakeBand();
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        EnableWindow(GetDlgItem(page, IDC_SCAN_REMOVE), TRUE);  // as if a selection had come and gone
        sheet.clickAsync(page, IDC_SCAN_REMOVE);
        EXPECT_TRUE(sheet.answerMessageBox(L"Remove Item", IDYES));
        EXPECT_EQ((StringList{c, b, a}), listViewItems(page));
        EXPECT_EQ(sorted({c, b, a}), sorted(storedList(ScanPathsKeyPath)));
        EXPECT_TRUE(rewritten());
        sheet.closeWithCloseButton();
    }));
    EXPECT_EQ(1, driver.reloadRequests());
}

TEST_F(StartMenuPageRemove, AnsweredNoKeepsTheSelectedItem) {
    const std::wstring a = makeFolder(L"A"), b = makeFolder(L"B");
    storeLocations({a, b});
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageW(GetDlgItem(page, IDC_SCAN_LOCATIONS), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
        sheet.clickAsync(page, IDC_SCAN_REMOVE);
        EXPECT_TRUE(sheet.answerMessageBox(L"Remove Item", IDNO));
        EXPECT_EQ((StringList{b, a}), listViewItems(page));
        sheet.clickAsync(page, IDC_SCAN_REMOVE);
        EXPECT_TRUE(sheet.answerMessageBox(L"Remove Item", IDYES));
        EXPECT_EQ((StringList{a}), listViewItems(page));
        EXPECT_EQ((StringList{a}), storedList(ScanPathsKeyPath));
        EXPECT_TRUE(rewritten());
        sheet.closeWithCloseButton();
    }));
}

TEST_F(StartMenuPageScanLocations, DefaultsListsTheShellFoldersCommonDesktopFirst) {
    storeLocations({makeFolder(L"A")});
    StringList defaults;
    ASSERT_TRUE(buildDefaultScanLocations(defaults));
    const StringList shown(defaults.rbegin(), defaults.rend());
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        sheet.click(page, IDC_SCAN_DEFAULTS);
        EXPECT_EQ(shown, listViewItems(page));
        EXPECT_EQ(sorted(shown), sorted(storedList(ScanPathsKeyPath)));
        EXPECT_TRUE(rewritten());
        sheet.closeWithCloseButton();
    }));
}

class StartMenuPageReload : public SheetTest {};

TEST_F(StartMenuPageReload, ChangesSendOneRequestAtClose) {
    SheetDriver driver;
    driver.startFakeBand();
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        sheet.click(page, IDC_INCLUDE_HISTORY);
        sheet.click(page, IDC_MATCH_START);
        sheet.sync();
        EXPECT_EQ(0, driver.reloadRequests());
        sheet.closeWithCloseButton();
    }));
    EXPECT_EQ(1, driver.reloadRequests());
}

TEST_F(StartMenuPageReload, CancellingAfterAChangeAlsoSendsTheRequest) {
    SheetDriver driver;
    driver.startFakeBand();
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        sheet.click(sheet.startMenuPage(), IDC_DISPLAY_COMPUTER_NAME);
        sheet.cancel();
    }));
    EXPECT_EQ(1, driver.reloadRequests());
}

TEST_F(StartMenuPageReload, NoChangeSendsNothing) {
    SheetDriver driver;
    driver.startFakeBand();
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) { sheet.closeWithCloseButton(); }));
    EXPECT_EQ(0, driver.reloadRequests());
}

TEST_F(StartMenuPageReload, ClearHistoryDeletesTheHistoryAndRequestsAtOnceButNotAtClose) {
    ASSERT_TRUE(WriteStringListKey(HistoryKeyPath, {L"notepad", L"calc"}));
    SheetDriver driver;
    driver.startFakeBand();
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        sheet.click(page, IDC_INCLUDE_FOLDER_ITEMS);
        sheet.clickAsync(page, IDC_CLEAR_HISTORY);
        EXPECT_TRUE(sheet.answerMessageBox(L"Confirm Clear History", IDYES));
        EXPECT_FALSE(keyExists(HistoryKeyPath));
        EXPECT_TRUE(waitUntil([&] { return driver.reloadRequests() == 1; }));
        sheet.closeWithCloseButton();
    }));
    EXPECT_EQ(1, driver.reloadRequests());
}

TEST_F(StartMenuPageReload, ClearHistoryAnsweredNoKeepsTheHistory) {
    ASSERT_TRUE(WriteStringListKey(HistoryKeyPath, {L"notepad"}));
    SheetDriver driver;
    driver.startFakeBand();
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        sheet.clickAsync(sheet.startMenuPage(), IDC_CLEAR_HISTORY);
        EXPECT_TRUE(sheet.answerMessageBox(L"Confirm Clear History", IDNO));
        EXPECT_EQ((StringList{L"notepad"}), storedList(HistoryKeyPath));
        sheet.closeWithCloseButton();
    }));
    EXPECT_EQ(0, driver.reloadRequests());
}

TEST_F(StartMenuPageReload, ClearHistoryWithoutABandLeavesTheChangeForTheClose) {
    SheetDriver driver;
    ASSERT_TRUE(driver.run([&](SheetDriver::Sheet& sheet) {
        HWND page = sheet.startMenuPage();
        sheet.click(page, IDC_INCLUDE_FOLDER_ITEMS);
        sheet.clickAsync(page, IDC_CLEAR_HISTORY);
        EXPECT_TRUE(sheet.answerMessageBox(L"Confirm Clear History", IDYES));
        // A band that appears only now, on this thread, receives the request at close.
        HWND band = SheetDriver::createFakeBand();
        sheet.closeWithCloseButton();
        // The pages are destroyed after the marker window: wait for the request itself.
        EXPECT_TRUE(waitUntil([&] {
            pumpMessages();
            return driver.reloadRequests() == 1;
        }));
        DestroyWindow(band);
    }));
    EXPECT_EQ(1, driver.reloadRequests());
}
