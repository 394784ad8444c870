#include "search/MatchCatalog.h"
#include <windows.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kest;

namespace {

ShortcutEntry entry(const std::wstring& folder, const std::wstring& name, const std::wstring& executable) {
    ShortcutEntry result;
    result.name = name;
    result.executable = executable;
    result.path = folder + L"\\" + name;
    return result;
}

ShortcutIndex indexOf(std::initializer_list<ShortcutEntry> entries) {
    ShortcutIndex index;
    for (const ShortcutEntry& e : entries) index[e.path] = e;
    return index;
}

struct Listing {
    int count = 0;
    MatchSet matches;
    std::vector<std::wstring> texts;
    std::vector<std::wstring> paths;  // of the listed items, in list order
};

Listing listing(const MatchCatalog& catalog, const std::wstring& text, MatchMode mode) {
    Listing result;
    std::vector<uint32_t> listed;
    result.count = catalog.collect(text, mode, result.matches, listed);
    for (uint32_t position : listed) {
        result.texts.push_back(catalog.displayText(position));
        result.paths.push_back(catalog.entry(position)->path);
    }
    return result;
}

std::vector<std::wstring> sortedByTheBox(const std::vector<std::wstring>& texts) {
    HWND box = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWN | CBS_SORT | CBS_HASSTRINGS, 0, 0, 200,
                               200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (const std::wstring& text : texts) SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<size_t>(SendMessageW(box, CB_GETLBTEXTLEN, i, 0)), L'\0');
        SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        items.push_back(item);
    }
    DestroyWindow(box);
    return items;
}

}  // namespace

TEST(MatchCatalogTest, ListsMatchesInTheSortedBoxsOrderAndTheMatchSetInKeyOrder) {
    const ShortcutIndex index = indexOf({
        entry(L"C:\\Menu\\Accessories", L"notepad.lnk", L"C:\\w\\notepad2.exe"),
        entry(L"C:\\Menu\\Accessories", L"Notepad.lnk", L"C:\\w\\notepad.exe"),
        entry(L"C:\\Menu\\Accessories", L"WordPad.lnk", L"C:\\w\\wordpad.exe"),
        entry(L"C:\\Menu\\Learning", L"\u00c9cole.lnk", L"C:\\e\\ecole.exe"),
        entry(L"C:\\Menu\\Learning", L"ecole.lnk", L"C:\\e\\ecole2.exe"),
        entry(L"C:\\Menu\\Games", L"co-op.url", L"http://coop.invalid/"),
        entry(L"C:\\Menu\\Games", L"coop.lnk", L"C:\\g\\coop.exe"),
        entry(L"C:\\Menu\\Setup", L"Setup 10.lnk", L"C:\\s\\10.exe"),
        entry(L"C:\\Menu\\Setup", L"Setup 2.lnk", L"C:\\s\\2.exe"),
        // Two programs shown with one text: the list keeps them in key order.
        entry(L"C:\\Menu\\Tools", L"Zip.lnk", L"C:\\z\\b.exe"),
        entry(L"C:\\Other\\Tools", L"Zip.lnk", L"C:\\z\\a.exe"),
    });
    MatchCatalog catalog;
    catalog.build(index);
    const Listing all = listing(catalog, L"", MatchMode::All);
    EXPECT_EQ(11, all.count);
    ASSERT_EQ(11u, all.texts.size());
    const std::vector<std::wstring> boxOrder = sortedByTheBox(all.texts);
    for (size_t i = 0; i < boxOrder.size(); ++i)
        EXPECT_EQ(CSTR_EQUAL, CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, all.texts[i].c_str(), -1,
                                             boxOrder[i].c_str(), -1))
            << i << ": " << testing::PrintToString(all.texts[i]) << " where the box has "
            << testing::PrintToString(boxOrder[i]);
    const auto zip = std::find(all.texts.begin(), all.texts.end(), L"Zip (Tools)");
    ASSERT_NE(all.texts.end(), zip);
    const size_t first = static_cast<size_t>(zip - all.texts.begin());
    ASSERT_LT(first + 1, all.paths.size());
    EXPECT_EQ(L"C:\\Other\\Tools\\Zip.lnk", all.paths[first]) << "key C:\\z\\a.exe comes first";
    EXPECT_EQ(L"C:\\Menu\\Tools\\Zip.lnk", all.paths[first + 1]);

    std::vector<std::wstring> keys;
    for (const ShortcutEntry* e : all.matches) keys.push_back(e->executable + e->name);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));

    const Listing pad = listing(catalog, L"pad", MatchMode::All);
    // Equal for the box, so in key order: C:\w\notepad.exe before C:\w\notepad2.exe.
    EXPECT_EQ((std::vector<std::wstring>{L"Notepad (Accessories)", L"notepad (Accessories)", L"WordPad (Accessories)"}),
              pad.texts);
    EXPECT_EQ(3u, pad.matches.size());
    EXPECT_TRUE(listing(catalog, L"pad", MatchMode::Start).texts.empty());
    EXPECT_EQ(0, listing(catalog, L"pad", MatchMode::WordStart).count);
    EXPECT_EQ((std::vector<std::wstring>{L"Setup 10 (Setup)"}), listing(catalog, L"1", MatchMode::WordStart).texts);
}

TEST(MatchCatalogTest, OfMatchingEntriesUnderOneKeyTheGreatestPathRemains) {
    // "C:\x" + "y.lnk" and "C:\xy" + ".lnk" are one key under two names; "y" matches only
    // the first, which then stands for the key although its path is the lesser.
    const ShortcutIndex index = indexOf({entry(L"C:\\M1", L"y.lnk", L"C:\\x"), entry(L"C:\\M2", L".lnk", L"C:\\xy"),
                                         entry(L"C:\\M3", L"Tool.lnk", L"C:\\tool.exe"),
                                         entry(L"C:\\M4", L"Tool.lnk", L"C:\\tool.exe")});
    MatchCatalog catalog;
    catalog.build(index);
    const Listing y = listing(catalog, L"y", MatchMode::All);
    EXPECT_EQ(1, y.count);
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\M1\\y.lnk"}, y.paths);
    const Listing all = listing(catalog, L"", MatchMode::All);
    EXPECT_EQ(4, all.count) << "duplicates count";
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\M2\\.lnk", L"C:\\M4\\Tool.lnk"}), all.paths);
    ASSERT_EQ(2u, all.matches.size());
    EXPECT_EQ(L"C:\\M4\\Tool.lnk", all.matches.find(L"C:\\tool.exeTool.lnk")->path);
    EXPECT_EQ(L"C:\\M2\\.lnk", all.matches.find(L"C:\\xy.lnk")->path);
}

TEST(MatchCatalogTest, ABuildReplacesWhatTheCatalogHeld) {
    ShortcutIndex index = indexOf({entry(L"C:\\Menu", L"Alpha.lnk", L"C:\\a.exe")});
    MatchCatalog catalog;
    catalog.build(index);
    EXPECT_EQ(std::vector<std::wstring>{L"Alpha (Menu)"}, listing(catalog, L"a", MatchMode::Start).texts);
    index = indexOf({entry(L"C:\\Menu", L"Beta.lnk", L"C:\\b.exe"), entry(L"C:\\Menu", L"Alpine.lnk", L"C:\\c.exe")});
    catalog.build(index);
    EXPECT_EQ(std::vector<std::wstring>{L"Alpine (Menu)"}, listing(catalog, L"a", MatchMode::Start).texts);
    catalog.clear();
    EXPECT_TRUE(catalog.empty());
    EXPECT_EQ(0, listing(catalog, L"", MatchMode::All).count);
}
