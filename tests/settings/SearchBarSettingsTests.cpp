#include "SearchBarSettings.h"
#include "SettingsTestSupport.h"

using namespace kest;

namespace {

class SearchBarSettingsTest : public SettingsRegistryTest {};

TEST_F(SearchBarSettingsTest, EmptyRegistryGivesDefaultsAndTheFirstReadCreatesOnlyTheKey) {
    EXPECT_EQ(MatchMode::All, readMatchMode());
    EXPECT_EQ(AutoSelectMode::First, readAutoSelectMode());
    EXPECT_FALSE(keyExists(SettingsKeyPath)) << "the enumerations never create the key";

    EXPECT_TRUE(readIncludeHistory());
    EXPECT_TRUE(keyExists(SettingsKeyPath));
    EXPECT_TRUE(readIncludeFolderItems());
    EXPECT_TRUE(readForceUpdateOnStartup());
    EXPECT_TRUE(readDisplayComputerName());
    EXPECT_FALSE(readUsingWindowsColors());
    EXPECT_EQ((HotKeySetting{0x53, MOD_WIN, false}), readHotKey());
    EXPECT_EQ(0u, valueCount(SettingsKeyPath)) << "no read writes a value";
}

TEST_F(SearchBarSettingsTest, EnumerationsUseOnlyTheLow16Bits) {
    setDword(SettingName::MatchMode, 0x10002);
    setDword(SettingName::AutoSelectMode, 0x70001);
    EXPECT_EQ(MatchMode::WordStart, readMatchMode());
    EXPECT_EQ(AutoSelectMode::MostFrequentlyUsed, readAutoSelectMode());
}

TEST_F(SearchBarSettingsTest, EnumerationThatCannotBeReadAsFourBytesIsZero) {
    const unsigned char eight[8] = {2, 0, 0, 0, 2, 0, 0, 0};
    setRaw(SettingsKeyPath, SettingName::MatchMode, REG_BINARY, eight, sizeof(eight));
    EXPECT_EQ(MatchMode::All, readMatchMode());
    const std::wstring huge(5000, L'x');
    setRaw(SettingsKeyPath, SettingName::AutoSelectMode, REG_SZ, huge.c_str(),
           static_cast<DWORD>((huge.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(AutoSelectMode::First, readAutoSelectMode());
}

TEST_F(SearchBarSettingsTest, EnumerationWritesNeedAnExistingKey) {
    writeMatchMode(MatchMode::Start);
    writeAutoSelectMode(AutoSelectMode::MostRecentlyUsed);
    EXPECT_FALSE(keyExists(SettingsKeyPath));

    readIncludeHistory();  // creates the key
    EXPECT_EQ(ERROR_SUCCESS, writeMatchMode(MatchMode::Start));
    EXPECT_EQ(ERROR_SUCCESS, writeAutoSelectMode(AutoSelectMode::MostRecentlyUsed));
    expectDword(SettingName::MatchMode, 1);
    expectDword(SettingName::AutoSelectMode, 2);
    EXPECT_EQ(MatchMode::Start, readMatchMode());
    EXPECT_EQ(AutoSelectMode::MostRecentlyUsed, readAutoSelectMode());
}

TEST_F(SearchBarSettingsTest, BooleansReadAnyNonZeroAsTrueAndWriteExactlyZeroOrOne) {
    setDword(SettingName::IncludeHistory, 7);
    setDword(SettingName::IncludeFolderItems, 0);
    setDword(SettingName::UsingWindowsColors, 0xFFFFFFFF);
    EXPECT_TRUE(readIncludeHistory());
    EXPECT_FALSE(readIncludeFolderItems());
    EXPECT_TRUE(readUsingWindowsColors());

    writeIncludeHistory(false);
    writeIncludeFolderItems(true);
    writeForceUpdateOnStartup(false);
    writeDisplayComputerName(false);
    writeUsingWindowsColors(true);
    expectDword(SettingName::IncludeHistory, 0);
    expectDword(SettingName::IncludeFolderItems, 1);
    expectDword(SettingName::ForceUpdateOnStartup, 0);
    expectDword(SettingName::DisplayComputerName, 0);
    expectDword(SettingName::UsingWindowsColors, 1);
    EXPECT_FALSE(readForceUpdateOnStartup());
    EXPECT_FALSE(readDisplayComputerName());
}

TEST_F(SearchBarSettingsTest, BooleanWriteCreatesAMissingKey) {
    EXPECT_EQ(ERROR_SUCCESS, writeDisplayComputerName(false));
    expectDword(SettingName::DisplayComputerName, 0);
}

TEST_F(SearchBarSettingsTest, OversizedBooleansReadAsTheirDefaults) {
    const unsigned char zeros[8] = {};
    for (const wchar_t* name : {SettingName::IncludeHistory, SettingName::IncludeFolderItems,
                                SettingName::ForceUpdateOnStartup, SettingName::DisplayComputerName,
                                SettingName::UsingWindowsColors})
        setRaw(SettingsKeyPath, name, REG_BINARY, zeros, sizeof(zeros));
    EXPECT_TRUE(readIncludeHistory());
    EXPECT_TRUE(readIncludeFolderItems());
    EXPECT_TRUE(readForceUpdateOnStartup());
    EXPECT_TRUE(readDisplayComputerName());
    EXPECT_FALSE(readUsingWindowsColors());
}

TEST_F(SearchBarSettingsTest, BooleansIgnoreTheStoredTypeAndReadShortData) {
    const unsigned char one[2] = {1, 0};
    setRaw(SettingsKeyPath, SettingName::UsingWindowsColors, REG_BINARY, one, sizeof(one));
    const unsigned char zero[1] = {0};
    setRaw(SettingsKeyPath, SettingName::IncludeHistory, REG_BINARY, zero, sizeof(zero));
    EXPECT_TRUE(readUsingWindowsColors());
    EXPECT_FALSE(readIncludeHistory());
}

TEST_F(SearchBarSettingsTest, HotKeyTakesAnyStoredCombination) {
    setDword(SettingName::HotKeyModifiers, MOD_ALT | MOD_CONTROL);
    setDword(SettingName::HotKeyVirtualKey, 0x70);
    EXPECT_EQ((HotKeySetting{0x70, MOD_ALT | MOD_CONTROL, false}), readHotKey());
    setDword(SettingName::HotKeyDisable, 5);
    EXPECT_TRUE(readHotKey().disabled);
}

TEST_F(SearchBarSettingsTest, HotKeyKeepsTheDefaultOfEachValueThatCannotBeRead) {
    setDword(SettingName::HotKeyModifiers, MOD_SHIFT);
    const unsigned char eight[8] = {0x41};
    setRaw(SettingsKeyPath, SettingName::HotKeyVirtualKey, REG_BINARY, eight, sizeof(eight));
    EXPECT_EQ((HotKeySetting{0x53, MOD_SHIFT, false}), readHotKey());
}

TEST_F(SearchBarSettingsTest, HotKeyIsWrittenAsThreeDwordsWithTheFlagNormalised) {
    writeHotKey(HotKeySetting{0x41, MOD_CONTROL, true});
    expectDword(SettingName::HotKeyVirtualKey, 0x41);
    expectDword(SettingName::HotKeyModifiers, MOD_CONTROL);
    expectDword(SettingName::HotKeyDisable, 1);
    EXPECT_EQ((HotKeySetting{0x41, MOD_CONTROL, true}), readHotKey());
    writeHotKey(HotKeySetting{0x53, MOD_WIN, false});
    expectDword(SettingName::HotKeyDisable, 0);
}

TEST_F(SearchBarSettingsTest, WholeRecordReadsEveryValueAndBothLists) {
    setDword(SettingName::MatchMode, 2);
    setDword(SettingName::AutoSelectMode, 2);
    setDword(SettingName::IncludeHistory, 0);
    setDword(SettingName::DisplayComputerName, 0);
    setDword(SettingName::HotKeyDisable, 1);
    setRaw(ScanPathsKeyPath, L"C:\\Tools", REG_SZ, nullptr, 0);
    setRaw(HistoryKeyPath, L"notepad", REG_SZ, nullptr, 0);

    const SearchBarSettings settings = readSearchBarSettings();
    EXPECT_EQ(MatchMode::WordStart, settings.matchMode);
    EXPECT_EQ(AutoSelectMode::MostRecentlyUsed, settings.autoSelectMode);
    EXPECT_FALSE(settings.includeHistory);
    EXPECT_TRUE(settings.includeFolderItems);
    EXPECT_TRUE(settings.forceUpdateOnStartup);
    EXPECT_FALSE(settings.displayComputerName);
    EXPECT_FALSE(settings.usingWindowsColors);
    EXPECT_TRUE(settings.hotKey.disabled);
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\Tools"}, settings.scanPaths);
    EXPECT_EQ(std::vector<std::wstring>{L"notepad"}, settings.typedHistory);
}

}  // namespace
