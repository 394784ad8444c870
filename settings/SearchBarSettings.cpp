#include "SearchBarSettings.h"
#include "SettingsNames.h"
#include "StringListKey.h"
#include "UniqueHandle.h"

namespace kest {

namespace {

// KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE (0x2001F): the access every boolean and
// hot-key operation opens the key with, creating it when it is missing.
constexpr REGSAM CreateAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

UniqueHKey createSettingsKey() {
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        CreateAccess, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

// Queries into a 4-byte buffer pre-set to 0; false when the query fails (missing value or
// data longer than 4 bytes). The stored type is not checked.
bool queryDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD buffer = 0;
    DWORD size = sizeof(buffer);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer), &size) != ERROR_SUCCESS)
        return false;
    value = buffer;
    return true;
}

LONG setDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

unsigned short readEnumeration(const wchar_t* name) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        key.release();
        return 0;
    }
    // A value that cannot be read as 4 bytes counts as 0, whatever the failed query left behind.
    DWORD value = 0;
    queryDword(key.get(), name, value);
    return static_cast<unsigned short>(value & 0xFFFF);
}

LONG writeEnumeration(const wchar_t* name, unsigned short value) {
    UniqueHKey key;
    const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_SET_VALUE, key.put());
    if (opened != ERROR_SUCCESS) {
        key.release();
        return opened;
    }
    return setDword(key.get(), name, value);
}

bool readBoolean(const wchar_t* name, bool fallback) {
    const UniqueHKey key = createSettingsKey();
    if (!key) return fallback;
    DWORD value = 0;
    if (!queryDword(key.get(), name, value)) return fallback;
    return value != 0;
}

LONG writeBoolean(const wchar_t* name, bool value) {
    const UniqueHKey key = createSettingsKey();
    if (!key) return ERROR_ACCESS_DENIED;
    return setDword(key.get(), name, value ? 1 : 0);
}

}  // namespace

MatchMode readMatchMode() { return static_cast<MatchMode>(readEnumeration(SettingName::MatchMode)); }

AutoSelectMode readAutoSelectMode() {
    return static_cast<AutoSelectMode>(readEnumeration(SettingName::AutoSelectMode));
}

LONG writeMatchMode(MatchMode mode) {
    return writeEnumeration(SettingName::MatchMode, static_cast<unsigned short>(mode));
}

LONG writeAutoSelectMode(AutoSelectMode mode) {
    return writeEnumeration(SettingName::AutoSelectMode, static_cast<unsigned short>(mode));
}

bool readIncludeHistory() { return readBoolean(SettingName::IncludeHistory, true); }
bool readIncludeFolderItems() { return readBoolean(SettingName::IncludeFolderItems, true); }
bool readForceUpdateOnStartup() { return readBoolean(SettingName::ForceUpdateOnStartup, true); }
bool readWatchScanLocations() { return readBoolean(SettingName::WatchScanLocations, true); }
bool readIncludePackagedApps() { return readBoolean(SettingName::IncludePackagedApps, true); }
bool readIncludeSettingsPages() { return readBoolean(SettingName::IncludeSettingsPages, true); }
bool readIncludeControlPanel() { return readBoolean(SettingName::IncludeControlPanel, true); }
bool readIncludeSystemCommands() { return readBoolean(SettingName::IncludeSystemCommands, true); }
bool readDisplayComputerName() { return readBoolean(SettingName::DisplayComputerName, true); }
bool readUsingWindowsColors() { return readBoolean(SettingName::UsingWindowsColors, false); }

LONG writeIncludeHistory(bool value) { return writeBoolean(SettingName::IncludeHistory, value); }
LONG writeIncludeFolderItems(bool value) { return writeBoolean(SettingName::IncludeFolderItems, value); }
LONG writeForceUpdateOnStartup(bool value) { return writeBoolean(SettingName::ForceUpdateOnStartup, value); }
LONG writeWatchScanLocations(bool value) { return writeBoolean(SettingName::WatchScanLocations, value); }
LONG writeIncludePackagedApps(bool value) { return writeBoolean(SettingName::IncludePackagedApps, value); }
LONG writeIncludeSettingsPages(bool value) { return writeBoolean(SettingName::IncludeSettingsPages, value); }
LONG writeIncludeControlPanel(bool value) { return writeBoolean(SettingName::IncludeControlPanel, value); }
LONG writeIncludeSystemCommands(bool value) { return writeBoolean(SettingName::IncludeSystemCommands, value); }
LONG writeDisplayComputerName(bool value) { return writeBoolean(SettingName::DisplayComputerName, value); }
LONG writeUsingWindowsColors(bool value) { return writeBoolean(SettingName::UsingWindowsColors, value); }

HotKeySetting readHotKey() {
    HotKeySetting hotKey;
    const UniqueHKey key = createSettingsKey();
    if (!key) return hotKey;
    DWORD value = 0;
    if (queryDword(key.get(), SettingName::HotKeyVirtualKey, value)) hotKey.virtualKey = value;
    if (queryDword(key.get(), SettingName::HotKeyModifiers, value)) hotKey.modifiers = value;
    if (queryDword(key.get(), SettingName::HotKeyDisable, value)) hotKey.disabled = value != 0;
    return hotKey;
}

LONG writeHotKey(const HotKeySetting& hotKey) {
    const UniqueHKey key = createSettingsKey();
    if (!key) return ERROR_ACCESS_DENIED;
    LONG result = setDword(key.get(), SettingName::HotKeyVirtualKey, hotKey.virtualKey);
    const LONG modifiers = setDword(key.get(), SettingName::HotKeyModifiers, hotKey.modifiers);
    const LONG disable = setDword(key.get(), SettingName::HotKeyDisable, hotKey.disabled ? 1 : 0);
    if (result == ERROR_SUCCESS) result = modifiers;
    if (result == ERROR_SUCCESS) result = disable;
    return result;
}

HotKeyOutcome readHotKeyOutcome() {
    HotKeyOutcome outcome;
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        key.release();
        return outcome;
    }
    DWORD tried = 0, registered = 0;
    if (!queryDword(key.get(), SettingName::HotKeyTried, tried) ||
        !queryDword(key.get(), SettingName::HotKeyRegistered, registered))
        return outcome;
    outcome.tried.modifiers = HIWORD(tried);
    outcome.tried.virtualKey = LOWORD(tried);
    outcome.registered = registered != 0;
    return outcome;
}

LONG writeHotKeyOutcome(const HotKeyOutcome& outcome) {
    const UniqueHKey key = createSettingsKey();
    if (!key) return ERROR_ACCESS_DENIED;
    const DWORD tried = MAKELONG(outcome.tried.virtualKey, outcome.tried.modifiers);
    const LONG result = setDword(key.get(), SettingName::HotKeyTried, tried);
    const LONG registered = setDword(key.get(), SettingName::HotKeyRegistered, outcome.registered ? 1 : 0);
    return result == ERROR_SUCCESS ? registered : result;
}

LONG deleteHotKeyOutcome() {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
        key.release();
        return ERROR_FILE_NOT_FOUND;
    }
    RegDeleteValueW(key.get(), SettingName::HotKeyTried);
    return RegDeleteValueW(key.get(), SettingName::HotKeyRegistered);
}

SearchBarSettings readSearchBarSettings() {
    SearchBarSettings settings;
    settings.matchMode = readMatchMode();
    settings.autoSelectMode = readAutoSelectMode();
    settings.includeHistory = readIncludeHistory();
    settings.includeFolderItems = readIncludeFolderItems();
    settings.forceUpdateOnStartup = readForceUpdateOnStartup();
    settings.watchScanLocations = readWatchScanLocations();
    settings.includePackagedApps = readIncludePackagedApps();
    settings.includeSettingsPages = readIncludeSettingsPages();
    settings.includeControlPanel = readIncludeControlPanel();
    settings.includeSystemCommands = readIncludeSystemCommands();
    settings.displayComputerName = readDisplayComputerName();
    settings.usingWindowsColors = readUsingWindowsColors();
    settings.hotKey = readHotKey();
    ReadStringListKey(ScanPathsKeyPath, settings.scanPaths);
    ReadStringListKey(HistoryKeyPath, settings.typedHistory);
    return settings;
}

}  // namespace kest
