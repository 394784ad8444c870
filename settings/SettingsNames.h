#pragma once
// The registry names of the search bar, shared by the band, the settings program and the
// floating bar.

namespace kest {

// Under HKEY_CURRENT_USER.
constexpr const wchar_t* SettingsKeyPath = L"software\\Brindlewood\\Kestrune";
constexpr const wchar_t* ScanPathsKeyPath = L"software\\Brindlewood\\Kestrune\\scanpaths";
constexpr const wchar_t* HistoryKeyPath = L"software\\Brindlewood\\Kestrune\\history";

namespace SettingName {
constexpr const wchar_t* MatchMode = L"doSubstringMatching";
constexpr const wchar_t* AutoSelectMode = L"autoSelectionMode";
constexpr const wchar_t* IncludeHistory = L"includeHistory";
constexpr const wchar_t* IncludeFolderItems = L"includeFolderItems";
constexpr const wchar_t* ForceUpdateOnStartup = L"forceUpdateOnStartup";
constexpr const wchar_t* WatchScanLocations = L"watchScanLocations";
constexpr const wchar_t* IncludePackagedApps = L"includePackagedApps";
constexpr const wchar_t* IncludeSettingsPages = L"includeSettingsPages";
constexpr const wchar_t* IncludeControlPanel = L"includeControlPanel";
constexpr const wchar_t* IncludeSystemCommands = L"includeSystemCommands";
constexpr const wchar_t* DisplayComputerName = L"displayComputerName";
constexpr const wchar_t* UsingWindowsColors = L"usingWindosColors";  // spelled so in stored keys
constexpr const wchar_t* HotKeyVirtualKey = L"hotkeyVKey";
constexpr const wchar_t* HotKeyModifiers = L"hotkeyMod";
constexpr const wchar_t* HotKeyDisable = L"hotkeyDisable";
// Written only by the band, each time it tries to register its hot key, for the settings
// program to read: "hotkeyTried" is the combination tried (REG_DWORD, the modifier flags in
// the high word, the virtual key in the low word) and "hotkeyRegistered" whether the band
// got it (REG_DWORD 1 or 0). Both are deleted while no band tries: the hot key is disabled,
// or the band that held it closed.
constexpr const wchar_t* HotKeyTried = L"hotkeyTried";
constexpr const wchar_t* HotKeyRegistered = L"hotkeyRegistered";
// The floating bar (kestfloat): its window's left and top edge in virtual-screen
// coordinates and its width in pixels, REG_DWORD holding a signed 32-bit number.
constexpr const wchar_t* FloatingBarLeft = L"floatingBarLeft";
constexpr const wchar_t* FloatingBarTop = L"floatingBarTop";
constexpr const wchar_t* FloatingBarWidth = L"floatingBarWidth";
}  // namespace SettingName

}  // namespace kest
