#include "DialogInitData.h"
#include "HotKeyTables.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <cstring>

using namespace kest;

TEST(HotKeyTables, ModifierIndicesMapToSingleFlags) {
    EXPECT_EQ(static_cast<unsigned>(MOD_ALT), hotKeyModifierAt(0));
    EXPECT_EQ(static_cast<unsigned>(MOD_CONTROL), hotKeyModifierAt(1));
    EXPECT_EQ(static_cast<unsigned>(MOD_SHIFT), hotKeyModifierAt(2));
    EXPECT_EQ(static_cast<unsigned>(MOD_WIN), hotKeyModifierAt(3));
    for (int index = 0; index < HotKeyModifierCount; ++index)
        EXPECT_EQ(index, hotKeyModifierIndex(hotKeyModifierAt(index)));
}

TEST(HotKeyTables, NoSelectionStoresWinS) {
    EXPECT_EQ(8u, hotKeyModifierAt(-1));
    EXPECT_EQ(83u, hotKeyKeyAt(-1));
    EXPECT_EQ(8u, hotKeyModifierAt(4));
    EXPECT_EQ(83u, hotKeyKeyAt(38));
}

TEST(HotKeyTables, KeysRunSpaceEscF10DownToF1ThenAToZ) {
    EXPECT_EQ(32u, hotKeyKeyAt(0));
    EXPECT_EQ(27u, hotKeyKeyAt(1));
    EXPECT_EQ(121u, hotKeyKeyAt(2));
    EXPECT_EQ(116u, hotKeyKeyAt(7));
    EXPECT_EQ(112u, hotKeyKeyAt(11));
    EXPECT_EQ(65u, hotKeyKeyAt(12));
    EXPECT_EQ(90u, hotKeyKeyAt(37));
    for (int index = 0; index < HotKeyKeyCount; ++index) EXPECT_EQ(index, hotKeyKeyIndex(hotKeyKeyAt(index)));
}

TEST(HotKeyTables, ValuesOutsideTheTablesHaveNoIndex) {
    EXPECT_EQ(-1, hotKeyModifierIndex(3));  // Alt+Ctrl
    EXPECT_EQ(-1, hotKeyModifierIndex(0));
    EXPECT_EQ(-1, hotKeyKeyIndex(48));  // the digit 0
    EXPECT_EQ(-1, hotKeyKeyIndex(0x7A));  // F11
}

namespace {

void appendEntry(std::vector<BYTE>& data, WORD control, WORD message, const char* text) {
    const DWORD length = static_cast<DWORD>(strlen(text) + 1);
    const BYTE* c = reinterpret_cast<const BYTE*>(&control);
    const BYTE* m = reinterpret_cast<const BYTE*>(&message);
    const BYTE* l = reinterpret_cast<const BYTE*>(&length);
    data.insert(data.end(), c, c + 2);
    data.insert(data.end(), m, m + 2);
    data.insert(data.end(), l, l + 4);
    data.insert(data.end(), text, text + length);
}

}  // namespace

TEST(DialogInitData, AddStringEntriesAreReadInOrderUpToTheEndMarker) {
    std::vector<BYTE> data;
    appendEntry(data, 7, DLGINIT_ADDSTRING, "ALT");
    appendEntry(data, 7, 0x1234, "ignored");
    appendEntry(data, 9, DLGINIT_ADDSTRING, "F10");
    data.push_back(0);
    data.push_back(0);
    appendEntry(data, 9, DLGINIT_ADDSTRING, "after the end");
    const auto entries = parseDialogInitData(data.data(), data.size());
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(7, entries[0].controlId);
    EXPECT_EQ(L"ALT", entries[0].text);
    EXPECT_EQ(9, entries[1].controlId);
    EXPECT_EQ(L"F10", entries[1].text);
}

TEST(DialogInitData, AnEntryRunningPastTheDataEndsTheList) {
    std::vector<BYTE> data;
    appendEntry(data, 7, DLGINIT_ADDSTRING, "WIN");
    appendEntry(data, 8, DLGINIT_ADDSTRING, "truncated");
    data.resize(data.size() - 4);
    const auto entries = parseDialogInitData(data.data(), data.size());
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(L"WIN", entries[0].text);
    EXPECT_TRUE(parseDialogInitData(nullptr, 10).empty());
    EXPECT_TRUE(parseDialogInitData(data.data(), 5).empty());
}

TEST(DialogInitData, TheStartMenuTemplateListsTheHotKeyChoices) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_START_MENU_PAGE), MAKEINTRESOURCEW(RT_KEST_DLGINIT));
    ASSERT_NE(nullptr, found);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const auto entries = parseDialogInitData(data, SizeofResource(module, found));
    ASSERT_EQ(42u, entries.size());
    const wchar_t* modifiers[] = {L"ALT", L"CTRL", L"SHIFT", L"WIN"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(IDC_HOTKEY_MODIFIER, entries[i].controlId);
        EXPECT_EQ(modifiers[i], entries[i].text);
    }
    EXPECT_EQ(L"Space", entries[4].text);
    EXPECT_EQ(L"Esc", entries[5].text);
    EXPECT_EQ(L"F10", entries[6].text);
    EXPECT_EQ(L"F1", entries[15].text);
    EXPECT_EQ(L"A", entries[16].text);
    EXPECT_EQ(L"Z", entries[41].text);
    for (size_t i = 4; i < entries.size(); ++i) EXPECT_EQ(IDC_HOTKEY_KEY, entries[i].controlId);
}
