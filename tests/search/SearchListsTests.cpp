#include "SettingsNames.h"
#include "StringListKey.h"
#include "search/CHistoryStringList.h"
#include "search/CPathMatchStringList.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <windows.h>

using namespace kest;

namespace {

class RegistryListTest : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath); }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath); }
    static StringList storedHistory() {
        StringList list;
        ReadStringListKey(HistoryKeyPath, list);
        std::sort(list.begin(), list.end());
        return list;
    }
    static void setBoolean(const wchar_t* name, DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
        RegCloseKey(key);
    }
};

using HistoryListTest = RegistryListTest;

TEST(HistoryAncestorsTest, DrivePathAddsItsFoldersTheRootAndTheDriveFirst) {
    StringList list;
    appendCommandWithAncestors(list, L"c:\\tools\\app\\app.exe");
    EXPECT_EQ((StringList{L"c:\\tools\\app", L"c:\\tools", L"c:\\", L"c:", L"c:\\tools\\app\\app.exe"}), list);
    appendCommandWithAncestors(list, L"c:\\tools\\other.exe");
    EXPECT_EQ(L"c:\\tools\\other.exe", list.back());
    EXPECT_EQ(6u, list.size());
}

TEST(HistoryAncestorsTest, UncPathAddsShareServerAndAnEmptyString) {
    StringList list;
    appendCommandWithAncestors(list, L"\\\\server\\share\\x");
    EXPECT_EQ((StringList{L"\\\\server\\share", L"\\\\server", L"\\", L"", L"\\\\server\\share\\x"}), list);
}

TEST_F(HistoryListTest, AddCommandStoresLowerCasedWithAncestorsAndReloads) {
    CHistoryStringList history;
    history.AddCommand(L"C:\\Tools\\App.exe");
    EXPECT_EQ((StringList{L"c:", L"c:\\", L"c:\\tools", L"c:\\tools\\app.exe"}), storedHistory());
    EXPECT_EQ(4u, history.items().size());
    history.AddCommand(L"c:\\tools\\APP.EXE");
    EXPECT_EQ(4u, storedHistory().size());
    history.AddCommand(L"");
    EXPECT_EQ(4u, history.items().size());
}

TEST_F(HistoryListTest, UncAncestorsArePersistedWithoutTheEmptyString) {
    CHistoryStringList history;
    history.AddCommand(L"\\\\Server\\Share\\X");
    EXPECT_EQ((StringList{L"\\", L"\\\\server", L"\\\\server\\share", L"\\\\server\\share\\x"}), storedHistory());
}

TEST_F(HistoryListTest, RemoveCommandDeletesOnlyAnExactLowerCaseName) {
    CHistoryStringList history;
    history.AddCommand(L"notepad");
    history.RemoveCommand(L"Notepad (Accessories)");
    history.RemoveCommand(L"NOTEPAD");
    EXPECT_EQ(StringList{L"notepad"}, storedHistory());
    history.RemoveCommand(L"notepad");
    EXPECT_EQ(StringList{}, storedHistory());
    EXPECT_TRUE(history.items().empty());
}

TEST_F(HistoryListTest, LoadFollowsIncludeHistoryAndAMissingSubkeyEmptiesTheList) {
    CHistoryStringList history;
    history.AddCommand(L"calc");
    setBoolean(SettingName::IncludeHistory, 0);
    history.LoadFromRegistry();
    EXPECT_FALSE(history.enabled());
    EXPECT_EQ(StringList{L"calc"}, history.items());
    SHDeleteKeyW(HKEY_CURRENT_USER, HistoryKeyPath);
    history.LoadFromRegistry();
    EXPECT_TRUE(history.items().empty());
}

class FolderItemsTest : public RegistryListTest {
protected:
    void SetUp() override {
        RegistryListTest::SetUp();
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        root = std::wstring(temp) + L"KestFolderItems";
        CreateDirectoryW(root.c_str(), nullptr);
        for (const wchar_t* name : {L"Windows", L"Other"}) createItem(root + L"\\" + name, true);
        for (const wchar_t* name : {L"Winamp.txt", L".hidden"}) createItem(root + L"\\" + name, false);
    }
    void TearDown() override {
        for (const wchar_t* name : {L"Windows", L"Other"}) RemoveDirectoryW((root + L"\\" + name).c_str());
        for (const wchar_t* name : {L"Winamp.txt", L".hidden"}) DeleteFileW((root + L"\\" + name).c_str());
        RemoveDirectoryW(root.c_str());
        RegistryListTest::TearDown();
    }
    static void createItem(const std::wstring& path, bool folder) {
        if (folder) {
            CreateDirectoryW(path.c_str(), nullptr);
        } else {
            HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        }
    }
    static StringList sorted(StringList list) {
        std::sort(list.begin(), list.end());
        return list;
    }
    std::wstring root;
};

TEST_F(FolderItemsTest, ABeginningOfANameListsTheItemsOfItsFolderThatBeginSo) {
    CPathMatchStringList items;
    items.FillForPath(root + L"\\WIN");
    EXPECT_TRUE(items.enabled());
    EXPECT_EQ(sorted({root + L"\\Winamp.txt", root + L"\\Windows"}), sorted(items.items()));
}

TEST_F(FolderItemsTest, AFolderListsItselfAndEverythingInsideButDotNames) {
    CPathMatchStringList items;
    items.FillForPath(root);
    ASSERT_FALSE(items.items().empty());
    EXPECT_EQ(root, items.items().front());
    EXPECT_EQ(sorted({root, root + L"\\Other", root + L"\\Winamp.txt", root + L"\\Windows"}), sorted(items.items()));
}

TEST_F(FolderItemsTest, NoPathOrAMissingFolderGivesNothingAndTheSettingIsReadEachTime) {
    CPathMatchStringList items;
    items.FillForPath(L"notepad");
    EXPECT_TRUE(items.items().empty());
    items.FillForPath(root + L"\\Missing\\x");
    EXPECT_TRUE(items.items().empty());
    items.FillForPath(std::wstring(400, L'x'));
    EXPECT_TRUE(items.items().empty());
    setBoolean(SettingName::IncludeFolderItems, 0);
    items.FillForPath(root);
    EXPECT_FALSE(items.enabled());
}

TEST(PathComponentTest, RemovingTheLastComponentKeepsTheDriveRoot) {
    EXPECT_EQ(L"c:\\", removeLastPathComponent(L"c:\\win"));
    EXPECT_EQ(L"c:\\windows", removeLastPathComponent(L"c:\\windows\\sys"));
}

}  // namespace
