#include "BarTestSupport.h"
#include "SearchBarSettings.h"
#include "SettingsNames.h"

using namespace kest;
using namespace kesttest;

namespace {

struct MenuItem {
    std::wstring text;
    UINT id;
    bool checked;
    bool separator;
    bool hasMark;
    HMENU submenu;
};

std::vector<MenuItem> readMenu(HMENU menu) {
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        items.push_back({text, info.wID, (info.fState & MFS_CHECKED) != 0, (info.fType & MFT_SEPARATOR) != 0,
                         info.hbmpChecked != nullptr, info.hSubMenu});
    }
    return items;
}

// Watches the bar while its menu is up: reads the menu when it opens and dismisses it.
class MenuWatcher : public CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(MenuWatcher, CSubclassedWindow)
        KEST_ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
        KEST_ON_MESSAGE(WM_ENTERIDLE, OnEnterIdle)
    KEST_END_MESSAGE_TABLE()
public:
    std::vector<MenuItem> top;
    std::vector<MenuItem> matching;
    bool shown = false;

private:
    LRESULT OnInitMenuPopup(WPARAM menu, LPARAM) {
        shown = true;
        top = readMenu(reinterpret_cast<HMENU>(menu));
        for (const MenuItem& item : top)
            if (item.submenu) matching = readMenu(item.submenu);
        passToDefault();
        return 0;
    }
    LRESULT OnEnterIdle(WPARAM, LPARAM) {
        EndMenu();
        passToDefault();
        return 0;
    }
};

class BarCommandsTest : public BarFixture {};

TEST_F(BarCommandsTest, MenuHoldsItsItemsWithMarksAndChecksReadFromTheRegistry) {
    startBar();
    setDword(SettingName::IncludeFolderItems, 0);
    setDword(SettingName::MatchMode, 2);  // changed behind the bar's back
    MenuWatcher watcher;
    ASSERT_TRUE(watcher.attach(bar->hwnd()));
    EXPECT_EQ(0, bar->ShowBarMenu(bar->hwnd(), MAKELPARAM(10, 10)));
    watcher.detach();
    ASSERT_TRUE(watcher.shown);
    ASSERT_EQ(10u, watcher.top.size());
    const wchar_t* texts[] = {L"&Help...\tF1", L"&Refresh\tCtrl+R", L"&Settings...\tCtrl+S", L"",
                              L"Include &Folder Items\tCtrl+F", L"Include H&istory Items\tCtrl+I", L"&Matching", L"",
                              L"&About...\tCtrl+A", L"Official &Web Site...\tCtrl+W"};
    const UINT ids[] = {3002, 3008, 3001, 0, 3003, 3004, 3005, 0, 3000, 3009};
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(texts[i], watcher.top[i].text) << i;
        if (!watcher.top[i].separator) {
            EXPECT_EQ(ids[i], watcher.top[i].id) << i;
        }
    }
    EXPECT_TRUE(watcher.top[3].separator && watcher.top[7].separator);
    for (size_t i : {0u, 1u, 2u, 8u, 9u}) EXPECT_TRUE(watcher.top[i].hasMark) << i;
    EXPECT_FALSE(watcher.top[4].checked);
    EXPECT_TRUE(watcher.top[5].checked);
    ASSERT_EQ(4u, watcher.matching.size());
    EXPECT_EQ(L"&All\tCtrl+K", watcher.matching[0].text);
    EXPECT_FALSE(watcher.matching[0].checked);
    EXPECT_FALSE(watcher.matching[1].checked);
    EXPECT_TRUE(watcher.matching[2].checked);
    EXPECT_EQ(L"&Best Match\tCtrl+B", watcher.matching[3].text);
    EXPECT_EQ(MatchBestCommandId, watcher.matching[3].id);
    EXPECT_FALSE(watcher.matching[3].checked);
}

TEST_F(BarCommandsTest, MenuIsDeclinedForAnotherWindowAndWhileBusy) {
    startBar();
    EXPECT_EQ(1, bar->ShowBarMenu(parent, 0));
    SendMessageW(bar->hwnd(), WM_COMMAND, ReloadCommandId, 0);
    ASSERT_TRUE(bar->busy());
    EXPECT_EQ(1, bar->ShowBarMenu(bar->hwnd(), 0));
    ASSERT_TRUE(waitUntilIdle(*bar));
}

TEST_F(BarCommandsTest, TogglesAndMatchModesAreStoredAtOnce) {
    startBar();
    SendMessageW(bar->hwnd(), WM_COMMAND, FolderItemsCommandId, 0);
    EXPECT_FALSE(readIncludeFolderItems());
    SendMessageW(bar->hwnd(), WM_COMMAND, HistoryItemsCommandId, 0);
    EXPECT_FALSE(readIncludeHistory());
    SendMessageW(bar->hwnd(), WM_COMMAND, FolderItemsCommandId, 0);
    EXPECT_TRUE(readIncludeFolderItems());
    SendMessageW(bar->hwnd(), WM_COMMAND, MatchStartCommandId, 0);
    EXPECT_EQ(MatchMode::Start, readMatchMode());
    EXPECT_EQ(MatchMode::Start, bar->matchMode());
    SendMessageW(bar->hwnd(), WM_COMMAND, MatchWordStartCommandId, 0);
    EXPECT_EQ(MatchMode::WordStart, readMatchMode());
}

TEST_F(BarCommandsTest, CtrlShortcutsFromTheBoxActAndAreRefusedWhileBusy) {
    startBar();
    SendMessageW(editWindow(), WM_KEYDOWN, VK_CONTROL, 1);
    SendMessageW(editWindow(), WM_KEYDOWN, 'L', 0x260001);
    SendMessageW(editWindow(), WM_KEYUP, VK_CONTROL, 0xC0000001);
    pumpMessages();
    EXPECT_EQ(MatchMode::Start, readMatchMode());

    SendMessageW(bar->hwnd(), WM_SYSCHAR, L'r', 0);
    ASSERT_TRUE(bar->busy());
    SendMessageW(bar->hwnd(), WM_SYSCHAR, L'k', 0);
    EXPECT_EQ(MatchMode::Start, readMatchMode()) << "refused while busy";
    ASSERT_TRUE(waitUntilIdle(*bar));
    SendMessageW(bar->hwnd(), WM_SYSCHAR, L'k', 0);
    EXPECT_EQ(MatchMode::All, readMatchMode());
}

TEST_F(BarCommandsTest, CtrlDRemovesOnlyAStoredHistoryItem) {
    startBar();
    WriteStringListKey(HistoryKeyPath, {L"notepad"});
    SendMessageW(bar->hwnd(), WM_COMMAND, ReloadCommandId, 0);
    ASSERT_TRUE(waitUntilIdle(*bar));
    SetWindowTextW(editWindow(), L"Notepad (Accessories)");
    SendMessageW(bar->hwnd(), WM_SYSCHAR, L'd', 0);
    EXPECT_EQ(StringList{L"notepad"}, bar->typedHistory().items());
    SetWindowTextW(editWindow(), L"notepad");
    SendMessageW(bar->hwnd(), WM_SYSCHAR, L'd', 0);
    EXPECT_TRUE(bar->typedHistory().items().empty());
}

TEST_F(BarCommandsTest, HotKeyBringsTheBarForwardAndReportsTheFocus) {
    startBar();
    owner.reports.clear();
    SetFocus(parent);
    SendMessageW(bar->hwnd(), WM_HOTKEY, HotKeyId, 0);
    pumpMessages();
    EXPECT_TRUE(IsChild(bar->hwnd(), GetFocus()));
    ASSERT_FALSE(owner.reports.empty());
    EXPECT_FALSE(owner.reports.back());
}

}  // namespace
