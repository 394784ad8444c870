// The context-menu settings against the real registry: the extension's readers never write,
// the settings program's loaders write defaults back.
#include "ContextMenuSettings.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <windows.h>
#include <string>
#include <vector>

namespace {

using namespace kest;
namespace Name = kest::ContextMenuSettingName;

class ContextMenuSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyW(HKEY_CURRENT_USER, ContextMenuKeyPath); }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, ContextMenuKeyPath); }

    static bool keyExists() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, ContextMenuKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    static DWORD valueCount() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, ContextMenuKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
        DWORD count = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
        return count;
    }
    static void setRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, ContextMenuKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
    static void setDword(const wchar_t* name, DWORD value) { setRaw(name, REG_DWORD, &value, sizeof(value)); }
    static void setText(const wchar_t* name, const std::wstring& text) {
        setRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    struct RawValue {
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    static RawValue readRaw(const wchar_t* name) {
        RawValue value;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, ContextMenuKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
        DWORD size = 0;
        if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
            value.present = true;
            value.data.resize(size);
            RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
            value.data.resize(size);
        }
        RegCloseKey(key);
        return value;
    }
    static void expectDword(const wchar_t* name, DWORD expected) {
        const RawValue value = readRaw(name);
        ASSERT_TRUE(value.present) << "missing value";
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value.type);
        ASSERT_EQ(4u, value.data.size());
        DWORD stored = 0;
        memcpy(&stored, value.data.data(), 4);
        EXPECT_EQ(expected, stored);
    }
    static void expectText(const wchar_t* name, const std::wstring& expected) {
        const RawValue value = readRaw(name);
        ASSERT_TRUE(value.present) << "missing value";
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
        ASSERT_EQ((expected.size() + 1) * sizeof(wchar_t), value.data.size()) << "stored with its terminator";
        EXPECT_EQ(expected, std::wstring(reinterpret_cast<const wchar_t*>(value.data.data()), expected.size()));
    }
};

using ExtensionReaders = ContextMenuSettingsTest;

TEST_F(ExtensionReaders, EmptyKeyReadsDefaultsAndStaysEmpty) {
    EXPECT_TRUE(readShowFlag(Name::ShowCopyPathName));
    EXPECT_TRUE(readShowFlag(Name::ShowCopyShortPathName));
    EXPECT_TRUE(readShowFlag(Name::ShowOpenInCommandWindow));
    EXPECT_TRUE(readShowFlag(Name::ShowRun));
    EXPECT_EQ(std::optional<std::wstring>(L"exe, com, bat"), readRunFileTypes());
    // Wine reports the NT family, as every supported Windows does.
    EXPECT_EQ(std::optional<std::wstring>(L"cmd.exe"), readCommandWindowApplication());
    EXPECT_TRUE(keyExists()) << "the first read creates the key";
    EXPECT_EQ(0u, valueCount()) << "the extension never writes a value";
}

TEST_F(ExtensionReaders, StoredZeroTurnsAFlagOffAndNonZeroOn) {
    setDword(Name::ShowRun, 0);
    setDword(Name::ShowCopyPathName, 7);
    EXPECT_FALSE(readShowFlag(Name::ShowRun));
    EXPECT_TRUE(readShowFlag(Name::ShowCopyPathName));
}

TEST_F(ExtensionReaders, FlagTooLongToReadCountsAsOn) {
    const unsigned char eightBytes[8] = {};
    setRaw(Name::ShowRun, REG_BINARY, eightBytes, sizeof(eightBytes));
    EXPECT_TRUE(readShowFlag(Name::ShowRun));
}

TEST_F(ExtensionReaders, TypeListIsLowerCasedInAsciiOnly) {
    setText(Name::RunFileTypes, L"EXE, Cmd, \x00C4XE");
    EXPECT_EQ(std::optional<std::wstring>(L"exe, cmd, \x00C4xe"), readRunFileTypes());
}

TEST_F(ExtensionReaders, TypeListOf259CharactersIsTakenAnd260IsIgnored) {
    const std::wstring fits(259, L'A');
    setText(Name::RunFileTypes, fits);
    EXPECT_EQ(std::optional<std::wstring>(std::wstring(259, L'a')), readRunFileTypes());
    setText(Name::RunFileTypes, std::wstring(260, L'x'));
    EXPECT_EQ(std::optional<std::wstring>(L"exe, com, bat"), readRunFileTypes());
}

TEST_F(ExtensionReaders, TextWithoutTerminatorFillingTheBufferIsIgnored) {
    const std::wstring text(260, L'y');
    setRaw(Name::CommandWindowApplication, REG_SZ, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    EXPECT_EQ(std::optional<std::wstring>(L"cmd.exe"), readCommandWindowApplication());
}

TEST_F(ExtensionReaders, TextWithoutTerminatorIsReadWhole) {
    const std::wstring text = L"powershell.exe";
    setRaw(Name::CommandWindowApplication, REG_SZ, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    EXPECT_EQ(std::optional<std::wstring>(text), readCommandWindowApplication());
}

TEST_F(ExtensionReaders, StoredConsoleProgramIsTakenAsGiven) {
    setText(Name::CommandWindowApplication, L"C:\\Tools\\My Shell.EXE");
    EXPECT_EQ(std::optional<std::wstring>(L"C:\\Tools\\My Shell.EXE"), readCommandWindowApplication());
}

TEST_F(ExtensionReaders, NamesIgnoreCase) {
    setDword(L"show run menuitem", 0);
    EXPECT_FALSE(readShowFlag(Name::ShowRun));
}

using SettingsProgramOperations = ContextMenuSettingsTest;

TEST_F(SettingsProgramOperations, LoadingAFreshKeyWritesEveryDefault) {
    const ContextMenuSettings settings = loadContextMenuSettings();
    EXPECT_TRUE(settings.showOpenInCommandWindow);
    EXPECT_TRUE(settings.showCopyPathName);
    EXPECT_TRUE(settings.showCopyShortPathName);
    EXPECT_TRUE(settings.showRun);
    EXPECT_EQ(L"exe, com, bat", settings.runFileTypes);
    EXPECT_EQ(L"cmd.exe", settings.commandWindowApplication);
    EXPECT_EQ(6u, valueCount());
    expectDword(Name::ShowOpenInCommandWindow, 1);
    expectDword(Name::ShowCopyPathName, 1);
    expectDword(Name::ShowCopyShortPathName, 1);
    expectDword(Name::ShowRun, 1);
    expectText(Name::RunFileTypes, L"exe, com, bat");
    expectText(Name::CommandWindowApplication, L"cmd.exe");
}

TEST_F(SettingsProgramOperations, LoadingKeepsStoredValuesAsStored) {
    setDword(Name::ShowCopyShortPathName, 0);
    setText(Name::RunFileTypes, L"EXE ,Com");
    const ContextMenuSettings settings = loadContextMenuSettings();
    EXPECT_FALSE(settings.showCopyShortPathName);
    EXPECT_EQ(L"EXE ,Com", settings.runFileTypes) << "no case folding for the page";
    expectDword(Name::ShowCopyShortPathName, 0);
}

TEST_F(SettingsProgramOperations, PageReadsLongerTypeListsThanTheExtension) {
    const std::wstring types(1000, L'e');
    setText(Name::RunFileTypes, types);
    EXPECT_EQ(types, loadContextMenuSettings().runFileTypes);
    EXPECT_EQ(std::optional<std::wstring>(L"exe, com, bat"), readRunFileTypes());
}

TEST_F(SettingsProgramOperations, StoringWritesDwordAndTerminatedString) {
    EXPECT_EQ(ERROR_SUCCESS, storeShowFlag(Name::ShowRun, false));
    EXPECT_EQ(ERROR_SUCCESS, storeText(Name::CommandWindowApplication, L"bash.exe"));
    EXPECT_EQ(ERROR_SUCCESS, storeText(Name::RunFileTypes, L""));
    expectDword(Name::ShowRun, 0);
    expectText(Name::CommandWindowApplication, L"bash.exe");
    expectText(Name::RunFileTypes, L"");
    EXPECT_FALSE(readShowFlag(Name::ShowRun));
    EXPECT_EQ(std::optional<std::wstring>(L"bash.exe"), readCommandWindowApplication());
    EXPECT_EQ(std::optional<std::wstring>(L""), readRunFileTypes());
}

TEST(ContextMenuText, LowerAsciiFoldsOnlyAToZ) {
    EXPECT_EQ(L"abc[z]@\x00C9", lowerAscii(L"AbC[Z]@\x00C9"));
}

}  // namespace
