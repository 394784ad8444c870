#pragma once
// The search bar's registry names, shared by the band and the settings program.

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
constexpr const wchar_t* DisplayComputerName = L"displayComputerName";
constexpr const wchar_t* UsingWindowsColors = L"usingWindosColors";  // spelled so in stored keys
constexpr const wchar_t* HotKeyVirtualKey = L"hotkeyVKey";
constexpr const wchar_t* HotKeyModifiers = L"hotkeyMod";
constexpr const wchar_t* HotKeyDisable = L"hotkeyDisable";
}  // namespace SettingName

}  // namespace kest
