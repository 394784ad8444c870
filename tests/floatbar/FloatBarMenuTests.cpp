// The floating bar's menu as its icon and its grip show it.
#include "FloatBarIdentity.h"
#include "FloatBarMenu.h"
#include <gtest/gtest.h>
#include <string>

namespace kest {
namespace {

struct Item {
    UINT id;
    UINT type;
    UINT state;
    std::wstring text;
};

Item item(HMENU menu, UINT position) {
    wchar_t text[64] = L"";
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 64;
    EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info));
    return Item{info.wID, info.fType, info.fState, text};
}

TEST(FloatBarMenu, ShowBarSettingsSeparatorExit) {
    UniqueHMenu menu = createFloatBarMenu(true);
    ASSERT_TRUE(menu);
    ASSERT_EQ(GetMenuItemCount(menu.get()), 4);
    const Item show = item(menu.get(), 0), settings = item(menu.get(), 1), separator = item(menu.get(), 2),
               exit = item(menu.get(), 3);
    EXPECT_EQ(show.id, ShowBarCommandId);
    EXPECT_EQ(show.text, L"Show Bar");
    EXPECT_EQ(settings.id, OpenSettingsCommandId);
    EXPECT_EQ(settings.text, L"Settings...");
    EXPECT_NE(separator.type & MFT_SEPARATOR, 0u);
    EXPECT_EQ(exit.id, ExitCommandId);
    EXPECT_EQ(exit.text, L"Exit");
    EXPECT_EQ(settings.state & (MFS_CHECKED | MFS_DISABLED), 0u);
    EXPECT_EQ(exit.state & (MFS_CHECKED | MFS_DISABLED), 0u);
}

TEST(FloatBarMenu, ShowBarIsCheckedWhileTheBarIsShownAndIsTheDefault) {
    UniqueHMenu shown = createFloatBarMenu(true);
    UniqueHMenu hidden = createFloatBarMenu(false);
    ASSERT_TRUE(shown && hidden);
    EXPECT_NE(item(shown.get(), 0).state & MFS_CHECKED, 0u);
    EXPECT_EQ(item(hidden.get(), 0).state & MFS_CHECKED, 0u);
    EXPECT_EQ(GetMenuDefaultItem(shown.get(), FALSE, 0), static_cast<UINT>(ShowBarCommandId));
    EXPECT_EQ(GetMenuDefaultItem(hidden.get(), FALSE, 0), static_cast<UINT>(ShowBarCommandId));
}

}  // namespace
}  // namespace kest
