#include "search/ListOrder.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kest;

namespace {

std::vector<std::wstring> itemsOf(HWND box) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(box, CB_GETLBTEXTLEN, i, 0)), L'\0');
        SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(text);
    }
    return items;
}

bool sameForTheList(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

}  // namespace

TEST(ListOrderTest, GivesTheOrderOfTheSortedComboBoxItself) {
    const std::vector<std::wstring> texts = {
        L"Notepad (Accessories)", L"notepad (accessories)", L"WordPad (Accessories)", L"Paint Shop (Jasc)",
        L"\u00c9cole (Learning)", L"ecole (Learning)", L"Ezra", L"co-op (Games)", L"coop (Games)", L"co op",
        L"it's (Tools)", L"its (Tools)", L"Setup 10", L"Setup 2", L"Setup 1", L"_underscore", L"~tilde",
        L"(parenthesis)", L"123", L"\u0391\u03bb\u03c6\u03b1", L"\u65e5\u672c", L"Zebra", L"zebra", L"a", L"A", L"",
        L"\u00e4rger", L"arger", L"Stra\u00dfe", L"Strasse", L"x y", L"xy", L"x-y", L"#hash", L"!bang"};
    HWND box = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWN | CBS_SORT | CBS_HASSTRINGS, 0, 0, 200,
                               200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(box);
    for (const std::wstring& text : texts) SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    const std::vector<std::wstring> sortedByTheBox = itemsOf(box);
    DestroyWindow(box);

    ListSortKeys keys;
    const std::vector<size_t> order = listOrder(texts, keys);
    ASSERT_EQ(texts.size(), order.size());
    ASSERT_EQ(texts.size(), sortedByTheBox.size());
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_TRUE(sameForTheList(texts[order[i]], sortedByTheBox[i]))
            << "position " << i << ": " << testing::PrintToString(texts[order[i]]) << " where the box has "
            << testing::PrintToString(sortedByTheBox[i]);
    EXPECT_EQ(texts.size(), keys.size()) << "every text's key is kept for the next keystroke";
}

TEST(ListOrderTest, EqualTextsKeepTheirOrderAndTheKeyStoreStartsOverWhenFull) {
    ListSortKeys keys;
    const std::vector<std::wstring> texts = {L"b", L"B", L"a", L"b"};
    EXPECT_EQ((std::vector<size_t>{2, 0, 1, 3}), listOrder(texts, keys));
    EXPECT_EQ(3u, keys.size());
    keys.makeRoomFor(ListSortKeys::capacity - 3);
    EXPECT_EQ(3u, keys.size());
    keys.makeRoomFor(ListSortKeys::capacity - 2);
    EXPECT_EQ(0u, keys.size());
}
