#include "SettingsTestSupport.h"
#include "StringListKey.h"

using namespace kest;

namespace {

class StringListKeyTest : public SettingsRegistryTest {
protected:
    static void addItem(const std::wstring& name) { setRaw(ScanPathsKeyPath, name.c_str(), REG_SZ, nullptr, 0); }
};

TEST_F(StringListKeyTest, MissingSubkeyIsFalseAndLeavesTheListAlone) {
    StringList list{L"kept"};
    EXPECT_FALSE(ReadStringListKey(ScanPathsKeyPath, list));
    EXPECT_EQ(StringList{L"kept"}, list);
}

TEST_F(StringListKeyTest, DefaultValueIsSkippedAndItemsAreAppended) {
    setRaw(ScanPathsKeyPath, L"", REG_SZ, L"x", 4);
    addItem(L"C:\\one");
    addItem(L"D:\\two");
    StringList list{L"earlier"};
    EXPECT_TRUE(ReadStringListKey(ScanPathsKeyPath, list));
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ(L"earlier", list[0]);
    // Item order is the registry's enumeration order.
    EXPECT_EQ((StringList{L"C:\\one", L"D:\\two"}), StringList(list.begin() + 1, list.end()));
}

TEST_F(StringListKeyTest, NamesLongerThan259CharactersAreSkipped) {
    const std::wstring fits = L"C:\\" + std::wstring(256, L'a');
    const std::wstring tooLong = L"C:\\" + std::wstring(257, L'b');
    const std::wstring muchTooLong = L"C:\\" + std::wstring(997, L'c');
    ASSERT_EQ(259u, fits.size());
    addItem(tooLong);
    addItem(fits);
    addItem(muchTooLong);
    addItem(L"C:\\short");
    StringList list;
    EXPECT_TRUE(ReadStringListKey(ScanPathsKeyPath, list));
    EXPECT_EQ((StringList{fits, L"C:\\short"}), list);
}

TEST_F(StringListKeyTest, WriteStoresEachItemOnceAsAnEmptyStringValue) {
    EXPECT_TRUE(WriteStringListKey(ScanPathsKeyPath, {L"C:\\a", L"", L"C:\\b", L"C:\\a"}));
    EXPECT_EQ(2u, valueCount(ScanPathsKeyPath));
    const RawValue value = readRaw(ScanPathsKeyPath, L"C:\\a");
    ASSERT_TRUE(value.present);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
    EXPECT_EQ(0u, value.data.size());
    StringList list;
    ASSERT_TRUE(ReadStringListKey(ScanPathsKeyPath, list));
    EXPECT_EQ((StringList{L"C:\\a", L"C:\\b"}), list);
}

TEST_F(StringListKeyTest, WriteAddsToWhatIsThereAndReplaceStartsAfresh) {
    addItem(L"C:\\old");
    WriteStringListKey(ScanPathsKeyPath, {L"C:\\new"});
    EXPECT_EQ(2u, valueCount(ScanPathsKeyPath));

    EXPECT_TRUE(ReplaceStringListKey(ScanPathsKeyPath, {L"C:\\only"}));
    StringList list;
    ASSERT_TRUE(ReadStringListKey(ScanPathsKeyPath, list));
    EXPECT_EQ(StringList{L"C:\\only"}, list);

    EXPECT_TRUE(ReplaceStringListKey(ScanPathsKeyPath, {}));
    EXPECT_TRUE(keyExists(ScanPathsKeyPath)) << "an empty list leaves an empty subkey";
    EXPECT_EQ(0u, valueCount(ScanPathsKeyPath));
}

TEST_F(StringListKeyTest, ThousandsOfItemsReadBackInFull) {
    StringList written;
    for (int i = 0; i < 3000; ++i) written.push_back(L"C:\\folder" + std::to_wstring(i));
    ASSERT_TRUE(WriteStringListKey(ScanPathsKeyPath, written));
    StringList list;
    ASSERT_TRUE(ReadStringListKey(ScanPathsKeyPath, list));
    EXPECT_EQ(3000u, list.size());
}

}  // namespace
