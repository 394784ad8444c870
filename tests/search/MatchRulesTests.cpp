#include "search/ColorRules.h"
#include "search/MatchRules.h"
#include "search/TextRules.h"
#include <gtest/gtest.h>

using namespace kest;

namespace {

ShortcutEntry entry(const std::wstring& name, const std::wstring& executable, const std::wstring& folder = L"C:\\Menu") {
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

std::vector<std::wstring> matchedNames(const ShortcutIndex& index, const std::wstring& text, MatchMode mode) {
    MatchSet matches;
    collectMatches(index, text, mode, matches);
    std::vector<std::wstring> names;
    for (const ShortcutEntry* e : matches) names.push_back(e->name);
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::wstring>;

TEST(MatchRulesTest, ThreeModesOverNotepadWordPadAndPaintShop) {
    const ShortcutIndex index = indexOf({entry(L"Notepad.lnk", L"n.exe"), entry(L"WordPad.lnk", L"w.exe"),
                                         entry(L"Paint Shop.lnk", L"p.exe")});
    EXPECT_EQ((Names{L"Notepad.lnk", L"WordPad.lnk"}), matchedNames(index, L"pad", MatchMode::All));
    EXPECT_EQ(Names{}, matchedNames(index, L"pad", MatchMode::Start));
    EXPECT_EQ(Names{}, matchedNames(index, L"pad", MatchMode::WordStart));
    EXPECT_EQ(Names{L"Paint Shop.lnk"}, matchedNames(index, L"sho", MatchMode::All));
    EXPECT_EQ(Names{L"Paint Shop.lnk"}, matchedNames(index, L"sho", MatchMode::WordStart));
    EXPECT_EQ(Names{}, matchedNames(index, L"sho", MatchMode::Start));
    for (MatchMode mode : {MatchMode::All, MatchMode::Start, MatchMode::WordStart})
        EXPECT_EQ(Names{L"Notepad.lnk"}, matchedNames(index, L"NOTE", mode));
}

TEST(MatchRulesTest, WordStartLooksOnlyAtTheFirstOccurrence) {
    const ShortcutIndex index = indexOf({entry(L"Map pad.lnk", L"m.exe"), entry(L"Apad pad.lnk", L"a.exe"),
                                         entry(L"Padpad x.lnk", L"x.exe")});
    EXPECT_EQ((Names{L"Map pad.lnk", L"Padpad x.lnk"}), matchedNames(index, L"pad", MatchMode::WordStart));
}

TEST(MatchRulesTest, CaseFoldingCoversOnlyAsciiLetters) {
    EXPECT_FALSE(nameMatches(L"\u00e9", L"\u00c9cole.lnk", MatchMode::All));
    EXPECT_TRUE(nameMatches(L"\u00c9", L"\u00c9cole.lnk", MatchMode::All));
    EXPECT_TRUE(nameMatches(L"LNK", L"Tool.lnk", MatchMode::All)) << "the extension is part of the name";
    EXPECT_TRUE(nameMatches(L"", L"anything.lnk", MatchMode::Start));
    EXPECT_TRUE(nameMatches(L"x", L"", MatchMode::All) == false);
}

TEST(MatchRulesTest, OneProgramLinkedTwiceAppearsOnceButCountsTwice) {
    const ShortcutIndex index = indexOf({entry(L"Tool.lnk", L"C:\\tool.exe", L"C:\\User\\Start Menu"),
                                         entry(L"Tool.lnk", L"C:\\tool.exe", L"C:\\All\\Start Menu"),
                                         entry(L"Readme.lnk", L"C:\\a\\readme.txt", L"C:\\A\\Docs"),
                                         entry(L"Readme.lnk", L"C:\\b\\readme.txt", L"C:\\B\\Docs")});
    MatchSet matches;
    EXPECT_EQ(4, collectMatches(index, L"", MatchMode::All, matches));
    ASSERT_EQ(3u, matches.size());
    // Of two duplicates the one with the greater path remains.
    ASSERT_NE(nullptr, matches.find(L"C:\\tool.exeTool.lnk"));
    EXPECT_EQ(L"C:\\User\\Start Menu\\Tool.lnk", matches.find(L"C:\\tool.exeTool.lnk")->path);
    ASSERT_NE(nullptr, matches.find(L"C:\\a\\readme.txtReadme.lnk"));
    ASSERT_NE(nullptr, matches.find(L"C:\\b\\readme.txtReadme.lnk"));
    EXPECT_EQ(entryDisplayText(*matches.find(L"C:\\a\\readme.txtReadme.lnk")),
              entryDisplayText(*matches.find(L"C:\\b\\readme.txtReadme.lnk")));
    EXPECT_EQ(nullptr, matches.find(L"C:\\tool.exe"));
}

TEST(MatchRulesTest, KeyIsTheJoinedTextAndEntriesComeInKeyOrder) {
    const ShortcutIndex index = indexOf({entry(L"y.lnk", L"C:\\x", L"C:\\M1"), entry(L".lnk", L"C:\\xy", L"C:\\M2"),
                                         entry(L"b.lnk", L"C:\\a", L"C:\\M3"), entry(L"a.lnk", L"C:\\b", L"C:\\M4")});
    MatchSet matches;
    EXPECT_EQ(4, collectMatches(index, L"", MatchMode::All, matches));
    std::vector<std::wstring> paths;
    for (const ShortcutEntry* e : matches) paths.push_back(e->path);
    // "C:\x" + "y.lnk" and "C:\xy" + ".lnk" are one key; the greater path stays.
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\M3\\b.lnk", L"C:\\M4\\a.lnk", L"C:\\M2\\.lnk"}), paths);
}

TEST(MatchRulesTest, DisplayTextIsNameWithoutExtensionAndHoldingFolder) {
    ShortcutEntry notepad;
    notepad.name = L"Notepad.lnk";
    notepad.path = L"C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Accessories\\Notepad.lnk";
    EXPECT_EQ(L"Notepad (Accessories)", entryDisplayText(notepad));
    ShortcutEntry bare;
    bare.name = L"Makefile";
    bare.path = L"C:\\Makefile";
    EXPECT_EQ(L"Makefile", entryDisplayText(bare));
    bare.name = L"my.tool.url";
    bare.path = L"\\\\server\\share\\my.tool.url";
    EXPECT_EQ(L"my.tool (share)", entryDisplayText(bare));
}

TEST(ColorRulesTest, CueTextColourOfBlackAndBlue) {
    EXPECT_EQ(RGB(110, 110, 110), cueTextColor(RGB(0, 0, 0)));
    EXPECT_EQ(RGB(110, 110, 210), cueTextColor(RGB(0, 0, 255)));
    // Red 100 becomes 150; green takes half of that: 200 + 75 clamps to 210 and is largest.
    EXPECT_EQ(RGB(150, 210, 150), cueTextColor(RGB(100, 200, 10)));
}

TEST(ColorRulesTest, BarIsGreenWithBlackTextUnlessWindowsColoursAreOn) {
    const BarColors plain = barColors(false, RGB(1, 2, 3));
    EXPECT_EQ(static_cast<COLORREF>(0x00FF00), plain.background);
    EXPECT_EQ(static_cast<COLORREF>(0), plain.text);
    const BarColors windows = barColors(true, RGB(0x3A, 0x6E, 0xA5));
    EXPECT_EQ(RGB(0x3A, 0x6E, 0xA5), windows.background);
    EXPECT_EQ(static_cast<COLORREF>(0xFFFFFF) - RGB(0x3A, 0x6E, 0xA5), windows.text);
}

TEST(TextRulesTest, TypedCharactersAreJudgedByTheirLowEightBits) {
    EXPECT_TRUE(acceptsTypedCharacter(L'a'));
    EXPECT_TRUE(acceptsTypedCharacter(L'7'));
    EXPECT_TRUE(acceptsTypedCharacter(L'\\'));
    EXPECT_TRUE(acceptsTypedCharacter(L' '));
    EXPECT_TRUE(acceptsTypedCharacter(L'\u00e9'));
    EXPECT_FALSE(acceptsTypedCharacter(L'$'));
    EXPECT_FALSE(acceptsTypedCharacter(L'\t'));
    EXPECT_FALSE(acceptsTypedCharacter(0x16)) << "Ctrl+V";
    EXPECT_EQ(31u, wcslen(typingDelimiters));
}

}  // namespace
