#include "DefaultScanLocations.h"
#include "SettingsTestSupport.h"
#include <shlobj.h>

using namespace kest;

namespace {

StringList expectedDefaults() {
    StringList folders;
    for (int csidl : {CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY}) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK) folders.emplace_back(path);
    }
    return folders;
}

class DefaultScanLocationsTest : public SettingsRegistryTest {};

TEST_F(DefaultScanLocationsTest, DefaultsAreTheStartMenusThenTheDesktopsInOrder) {
    StringList locations;
    ASSERT_TRUE(buildDefaultScanLocations(locations));
    const StringList expected = expectedDefaults();
    ASSERT_EQ(4u, expected.size()) << "the Wine prefix has all four shell folders";
    EXPECT_EQ(expected, locations);
}

TEST_F(DefaultScanLocationsTest, MissingListInstallsTheDefaults) {
    StringList locations;
    EXPECT_EQ(ScanLocationsResult::DefaultsInstalled, readScanLocationsInstallingDefaults(locations));
    EXPECT_EQ(expectedDefaults(), locations);
    StringList stored;
    ASSERT_TRUE(ReadStringListKey(ScanPathsKeyPath, stored));
    EXPECT_EQ(4u, stored.size());
    for (const std::wstring& folder : expectedDefaults())
        EXPECT_NE(stored.end(), std::find(stored.begin(), stored.end(), folder));
}

TEST_F(DefaultScanLocationsTest, ListWithOnlyTheDefaultValueCountsAsEmpty) {
    setRaw(ScanPathsKeyPath, L"", REG_SZ, nullptr, 0);
    StringList locations;
    EXPECT_EQ(ScanLocationsResult::DefaultsInstalled, readScanLocationsInstallingDefaults(locations));
    EXPECT_EQ(expectedDefaults(), locations);
}

TEST_F(DefaultScanLocationsTest, StoredListIsUsedAsItIs) {
    setRaw(ScanPathsKeyPath, L"C:\\Tools", REG_SZ, nullptr, 0);
    StringList locations;
    EXPECT_EQ(ScanLocationsResult::Read, readScanLocationsInstallingDefaults(locations));
    EXPECT_EQ(StringList{L"C:\\Tools"}, locations);
    EXPECT_EQ(1u, valueCount(ScanPathsKeyPath));
}

}  // namespace
