// The registry under hostile content: every value of the search bar's key and of the
// context menu's key with wrong types, wrong sizes and huge data, value names of 259, 260,
// 1,000 and more characters, string-list subkeys with thousands of values, and the shell's
// UserAssist records with every data length from 0 to 100 bytes. Each reader must give
// what its rule says for the bytes stored: the value when it fits, the default otherwise.
#include "RobustnessSupport.h"
#include "IndexTestSupport.h"
#include "ContextMenuSettings.h"
#include "DefaultScanLocations.h"
#include "SearchBarSettings.h"
#include "SettingsNames.h"
#include "StringListKey.h"
#include "UniqueHandle.h"
#include "history/UsageRecordImport.h"
#include "search/CHistoryStringList.h"
#include <shlwapi.h>
#include <algorithm>
#include <cstring>
#include <set>

namespace robust {
namespace {

const DWORD ValueTypes[] = {REG_NONE,      REG_SZ,        REG_EXPAND_SZ, REG_BINARY,
                            REG_DWORD,     REG_DWORD_BIG_ENDIAN, REG_MULTI_SZ, REG_QWORD};

// The data sizes worth trying: around the 4-byte buffers, around the 520-byte text
// buffers, and huge.
size_t dataSize(std::mt19937_64& random) {
    static const size_t sizes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 16, 100, 516, 518, 520, 522, 524, 4094, 4096, 4098};
    if (chance(random, 10)) return static_cast<size_t>(pick(random, 65536, 1u << 20));
    return sizes[pick(random, 0, sizeof(sizes) / sizeof(sizes[0]) - 1)];
}

void setRaw(const wchar_t* keyPath, const std::wstring& name, DWORD type, const std::string& data) {
    kest::UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), name.c_str(), 0, type,
                                            reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())));
}

// A value name of the given length from characters that never fold into one another.
std::wstring valueName(std::mt19937_64& random, size_t length) {
    static const wchar_t characters[] = L"abcdefghijklmnopqrstuvwxyz0123456789 _-.:\\";
    std::wstring name;
    for (size_t i = 0; i < length; ++i) name += characters[pick(random, 0, sizeof(characters) / sizeof(wchar_t) - 2)];
    return name;
}

size_t nameLength(std::mt19937_64& random) {
    static const size_t lengths[] = {1, 2, 30, 200, 258, 259, 260, 261, 1000, 16383};
    if (chance(random, 50)) return static_cast<size_t>(pick(random, 1, 60));
    return lengths[pick(random, 0, sizeof(lengths) / sizeof(lengths[0]) - 1)];
}

bool isStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Whether a query with a buffer of size bytes takes data of type. Wine differs from
// Windows here: string-typed data without a terminator must leave the buffer room for one.
bool fitsBuffer(const std::string& data, DWORD type, size_t size) {
    if (data.size() > size) return false;
    if (!kest::test::runningOnWine() || !isStringType(type)) return true;
    const bool terminated = data.size() >= 2 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0;
    return terminated || data.size() < size;
}

// What a 4-byte query gives for data: the bytes zero-extended when they fit.
bool fitsDword(const std::string& data, DWORD type, DWORD& value) {
    if (!fitsBuffer(data, type, 4)) return false;
    value = 0;
    std::memcpy(&value, data.data(), data.size());
    return true;
}

// Values with long names beside the real ones must not disturb them.
void addNoise(std::mt19937_64& random, const wchar_t* keyPath) {
    for (int i = static_cast<int>(pick(random, 0, 3)); i > 0; --i)
        setRaw(keyPath, valueName(random, nameLength(random)), ValueTypes[pick(random, 0, 7)],
               randomBytes(random, static_cast<size_t>(pick(random, 0, 64))));
}

class RegistryAttack : public ::testing::Test {
protected:
    void SetUp() override {
        if (!inChild()) GTEST_SKIP() << "runs in the child process of Robustness.Registry";
    }
    void TearDown() override { clean(); }
    static void clean() {
        SHDeleteKeyW(HKEY_CURRENT_USER, kest::SettingsKeyPath);
        SHDeleteKeyW(HKEY_CURRENT_USER, kest::UserAssistKeyPath);
    }

    void attackSearchBarValue(std::uint64_t input, std::mt19937_64& random);
    void attackContextMenuValue(std::uint64_t input, std::mt19937_64& random);
    int attackStringList(std::uint64_t input, std::mt19937_64& random);
    int attackUsageRecords(std::uint64_t input, std::mt19937_64& random);
};

void RegistryAttack::attackSearchBarValue(std::uint64_t input, std::mt19937_64& random) {
    static const wchar_t* const names[] = {
        kest::SettingName::MatchMode,          kest::SettingName::AutoSelectMode,
        kest::SettingName::IncludeHistory,     kest::SettingName::IncludeFolderItems,
        kest::SettingName::ForceUpdateOnStartup, kest::SettingName::DisplayComputerName,
        kest::SettingName::UsingWindowsColors, kest::SettingName::HotKeyVirtualKey,
        kest::SettingName::HotKeyModifiers,    kest::SettingName::HotKeyDisable};
    const size_t which = static_cast<size_t>(pick(random, 0, 9));
    const DWORD type = ValueTypes[pick(random, 0, 7)];
    const std::string data = randomBytes(random, dataSize(random));
    addNoise(random, kest::SettingsKeyPath);
    setRaw(kest::SettingsKeyPath, names[which], type, data);

    DWORD value = 0;
    const bool fits = fitsDword(data, type, value);
    const kest::SearchBarSettings settings = kest::readSearchBarSettings();
    const std::string where = "input " + std::to_string(input) + " value " + narrow(names[which]) + " type " +
                              std::to_string(type) + " size " + std::to_string(data.size());
    const auto check = [&](bool good) {
        if (!good) reportWrong(where + " read wrong");
    };
    switch (which) {
    case 0: check(static_cast<unsigned>(settings.matchMode) == (fits ? (value & 0xFFFF) : 0)); break;
    case 1: check(static_cast<unsigned>(settings.autoSelectMode) == (fits ? (value & 0xFFFF) : 0)); break;
    case 2: check(settings.includeHistory == (fits ? value != 0 : true)); break;
    case 3: check(settings.includeFolderItems == (fits ? value != 0 : true)); break;
    case 4: check(settings.forceUpdateOnStartup == (fits ? value != 0 : true)); break;
    case 5: check(settings.displayComputerName == (fits ? value != 0 : true)); break;
    case 6: check(settings.usingWindowsColors == (fits ? value != 0 : false)); break;
    case 7: check(settings.hotKey.virtualKey == (fits ? value : 0x53u) && settings.hotKey.modifiers == MOD_WIN); break;
    case 8: check(settings.hotKey.modifiers == (fits ? value : static_cast<DWORD>(MOD_WIN))); break;
    default: check(settings.hotKey.disabled == (fits ? value != 0 : false)); break;
    }
    // Writing over any such value stores the 4-byte form, which then reads back.
    if (which == 2) {
        kest::writeIncludeHistory(false);
        check(!kest::readIncludeHistory());
    }
}

void RegistryAttack::attackContextMenuValue(std::uint64_t input, std::mt19937_64& random) {
    namespace name = kest::ContextMenuSettingName;
    static const wchar_t* const names[] = {name::ShowCopyPathName, name::ShowCopyShortPathName,
                                           name::ShowOpenInCommandWindow, name::ShowRun, name::RunFileTypes,
                                           name::CommandWindowApplication};
    const size_t which = static_cast<size_t>(pick(random, 0, 5));
    const DWORD type = ValueTypes[pick(random, 0, 7)];
    std::string data;
    if (which >= 4 && chance(random, 60)) {
        // Text of a length around the limits, with or without its terminator.
        const size_t length = static_cast<size_t>(chance(random, 50) ? pick(random, 250, 265) : pick(random, 0, 3000));
        std::wstring text = valueName(random, length);
        data.assign(reinterpret_cast<const char*>(text.c_str()), (text.size() + (chance(random, 70) ? 1 : 0)) * 2);
        if (chance(random, 10) && !data.empty()) data.pop_back();  // an odd byte count
    } else {
        data = randomBytes(random, dataSize(random));
    }
    addNoise(random, kest::ContextMenuKeyPath);
    setRaw(kest::ContextMenuKeyPath, names[which], type, data);
    const std::string where = "input " + std::to_string(input) + " value " + narrow(names[which]) + " type " +
                              std::to_string(type) + " size " + std::to_string(data.size());

    if (which < 4) {
        DWORD value = 0;
        const bool fits = fitsDword(data, type, value);
        if (kest::readShowFlag(names[which]) != (fits ? value != 0 : true)) reportWrong(where + ": extension read wrong");
        if (kest::loadContextMenuSettings().showCopyPathName != (which == 0 ? (fits ? value != 0 : true) : true))
            reportWrong(where + ": settings program read wrong");
        return;
    }
    // The text up to its first zero, when the data fits the extension's 260 units.
    std::wstring stored(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
    const size_t zero = stored.find(L'\0');
    const bool withinBuffer = fitsBuffer(data, type, (kest::ContextMenuTextLimit + 1) * sizeof(wchar_t));
    std::wstring trimmed = stored;
    while (!trimmed.empty() && trimmed.back() == L'\0') trimmed.pop_back();
    const bool fits = withinBuffer && trimmed.size() <= kest::ContextMenuTextLimit;
    const std::wstring text = zero == std::wstring::npos ? stored : stored.substr(0, zero);
    const std::optional<std::wstring> read =
        which == 4 ? kest::readRunFileTypes() : kest::readCommandWindowApplication();
    const std::wstring fallback = which == 4 ? kest::DefaultRunFileTypes : kest::defaultCommandWindowApplication();
    if (!read) {
        reportWrong(where + ": no text");
        return;
    }
    const std::wstring expected = fits ? (which == 4 ? kest::lowerAscii(text) : text) : fallback;
    if (*read != expected) reportWrong(where + ": extension read \"" + narrow(*read) + "\"");
    if (read->size() > kest::ContextMenuTextLimit) reportWrong(where + ": a text longer than its buffer");
    // The settings program reads the same value and repairs what it cannot read.
    const kest::ContextMenuSettings settings = kest::loadContextMenuSettings();
    const std::wstring& loaded = which == 4 ? settings.runFileTypes : settings.commandWindowApplication;
    if (loaded.size() > (which == 4 ? kest::RunFileTypesPageLimit : kest::ContextMenuTextLimit))
        reportWrong(where + ": the settings program kept a text longer than its buffer");
}

int RegistryAttack::attackStringList(std::uint64_t input, std::mt19937_64& random) {
    const bool scanPaths = chance(random, 50);
    const wchar_t* keyPath = scanPaths ? kest::ScanPathsKeyPath : kest::HistoryKeyPath;
    // Thousands of values once in a while, a few dozen otherwise.
    const size_t count = input % 40 == 2 ? 3000u * static_cast<unsigned>(scale()) : static_cast<size_t>(pick(random, 0, 60));
    std::set<std::wstring> written;
    for (size_t i = 0; i < count; ++i) {
        std::wstring name = valueName(random, nameLength(random));
        const DWORD type = chance(random, 80) ? REG_SZ : ValueTypes[pick(random, 0, 7)];
        const std::string data = chance(random, 80) ? std::string() : randomBytes(random, static_cast<size_t>(pick(random, 0, 600)));
        setRaw(keyPath, name, type, data);
        written.insert(name);
        if (i % 500 == 499) heartbeat();
    }
    if (chance(random, 10)) setRaw(keyPath, L"", REG_SZ, std::string());  // the default value
    std::multiset<std::wstring> expected;
    for (const std::wstring& name : written)
        if (!name.empty() && name.size() <= kest::MaxStringListItemLength) expected.insert(name);

    kest::StringList list;
    if (!kest::ReadStringListKey(keyPath, list) && count > 0) reportWrong("input " + std::to_string(input) + ": subkey not read");
    const std::multiset<std::wstring> got(list.begin(), list.end());
    int lost = 0;
    for (const std::wstring& name : expected)
        if (got.count(name) == 0) ++lost;
    for (const std::wstring& item : list)
        if (item.empty() || item.size() > kest::MaxStringListItemLength || written.count(item) == 0)
            reportWrong("input " + std::to_string(input) + ": an item that was not written or does not fit");
    if (got.size() != list.size() || list.size() != expected.size())
        reportWrong("input " + std::to_string(input) + ": " + std::to_string(list.size()) + " items for " +
                    std::to_string(expected.size()) + " readable values");

    // The band's own readers over the same subkey.
    if (scanPaths) {
        kest::StringList locations;
        const kest::ScanLocationsResult result = kest::readScanLocationsInstallingDefaults(locations);
        if (!expected.empty() && (result != kest::ScanLocationsResult::Read || locations.size() != expected.size()))
            reportWrong("input " + std::to_string(input) + ": scan locations differ from the subkey");
    } else {
        kest::CHistoryStringList history;
        history.LoadFromRegistry();
        if (history.items().size() != expected.size())
            reportWrong("input " + std::to_string(input) + ": the typed-command history differs from the subkey");
        if (!expected.empty()) {
            // Adding a command keeps every readable item.
            history.AddCommand(L"Q:\\Robust\\Added.exe");
            std::set<std::wstring> after(history.items().begin(), history.items().end());
            for (const std::wstring& name : expected)
                if (after.count(name) == 0) ++lost;
            if (after.count(L"q:\\robust\\added.exe") == 0) ++lost;
        }
    }
    return lost;
}

std::wstring rot13(std::wstring text) {
    kest::rot13Decode(text);  // the rotation is its own inverse
    return text;
}

int RegistryAttack::attackUsageRecords(std::uint64_t input, std::mt19937_64& random) {
    const std::wstring countPath = std::wstring(kest::UserAssistKeyPath) + L"\\count";
    // The version: missing, right, wrong, or of another type and size.
    bool versionAccepted = true;
    switch (pick(random, 0, 4)) {
    case 0: break;
    case 1: setRaw(kest::UserAssistKeyPath, L"version", REG_DWORD, std::string("\x03\0\0\0", 4)); break;
    case 2: setRaw(kest::UserAssistKeyPath, L"version", REG_DWORD, std::string("\x05\0\0\0", 4)); versionAccepted = false; break;
    default: {
        const std::string data = randomBytes(random, dataSize(random));
        const DWORD versionType = ValueTypes[pick(random, 0, 7)];
        setRaw(kest::UserAssistKeyPath, L"version", versionType, data);
        DWORD value = 0;
        versionAccepted = !fitsDword(data, versionType, value) || value == kest::UserAssistVersion;
        break;
    }
    }
    // Every data length from 0 to 100 comes round; names of all lengths.
    struct Expected {
        std::wstring path;
        std::uint32_t count, low, high;
        size_t nameLength, dataLength;
        DWORD type;
    };
    std::vector<Expected> expected;
    const size_t records = static_cast<size_t>(pick(random, 5, 30));
    for (size_t i = 0; i < records; ++i) {
        const size_t length = static_cast<size_t>((input * 7 + i) % 101);
        const std::string data = randomBytes(random, length);
        std::wstring path = L"c:\\robust\\" + std::to_wstring(i) + L"\\";
        const size_t wanted = nameLength(random);
        const std::wstring prefix = L"ueme_runpath:";
        if (wanted > prefix.size() + path.size()) path += valueName(random, wanted - prefix.size() - path.size());
        std::wstring name = prefix + path;
        for (wchar_t& c : name)
            if (c >= L'a' && c <= L'z' && chance(random, 30)) c = static_cast<wchar_t>(c - L'a' + L'A');
        const DWORD type = ValueTypes[pick(random, 0, 7)];
        setRaw(countPath.c_str(), rot13(name), type, data);
        if (fitsBuffer(data, type, kest::UsageRecordDataSize) && name.size() <= 259) {
            BYTE bytes[16] = {};
            std::memcpy(bytes, data.data(), length);
            Expected record{kest::lowerAscii(path), 0, 0, 0, name.size(), length, type};
            std::memcpy(&record.count, bytes + 4, 4);
            std::memcpy(&record.low, bytes + 8, 4);
            std::memcpy(&record.high, bytes + 12, 4);
            expected.push_back(record);
        }
    }
    kest::HistoryEntries entries;
    kest::importUsageRecords(entries);
    int lost = 0;
    if (!versionAccepted) {
        if (!entries.empty()) reportWrong("input " + std::to_string(input) + ": imported despite the version");
        return 0;
    }
    for (const Expected& record : expected) {
        const auto found = entries.find(record.path);
        if (found == entries.end() || found->second.count != record.count || found->second.lasttimelow != record.low ||
            found->second.lasttimehigh != record.high || !found->second.imported) {
            ++lost;
            reportWrong("input " + std::to_string(input) + ": record with a name of " + std::to_string(record.nameLength) +
                        " characters, " + std::to_string(record.dataLength) + " bytes of type " +
                        std::to_string(record.type) + (found == entries.end() ? " not imported" : " imported wrong"));
        }
    }
    if (entries.size() != expected.size())
        reportWrong("input " + std::to_string(input) + ": " + std::to_string(entries.size()) + " entries imported for " +
                    std::to_string(expected.size()) + " readable records");
    return lost;
}

TEST_F(RegistryAttack, Registry) {
    runInputs(400ull * scale(), [&](std::uint64_t input) {
        clean();
        std::mt19937_64 random = inputGenerator("registry", input);
        switch (input % 4) {
        case 0: attackSearchBarValue(input, random); return 0;
        case 1: attackContextMenuValue(input, random); return 0;
        case 2: return attackStringList(input, random);
        default: return attackUsageRecords(input, random);
        }
    });
}

TEST(Robustness, Registry) {
    const Figures figures = runSurface("Registry", 400ull * scale());
    EXPECT_EQ(0, figures.crashes);
    EXPECT_EQ(0, figures.hangs);
    EXPECT_EQ(0, figures.lost);
    EXPECT_EQ(0, figures.wrong);
    EXPECT_EQ(400ull * scale(), figures.inputs);
}

}  // namespace
}  // namespace robust
