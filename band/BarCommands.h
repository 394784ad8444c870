#pragma once
// The bar's command identifiers, carried in WM_COMMAND; 3008 is also the request the
// settings program posts to the notification window.
#include <windows.h>

namespace kest {

constexpr UINT AboutCommandId = 3000;
constexpr UINT SettingsCommandId = 3001;
constexpr UINT HelpCommandId = 3002;
constexpr UINT FolderItemsCommandId = 3003;
constexpr UINT HistoryItemsCommandId = 3004;
constexpr UINT MatchAllCommandId = 3005;
constexpr UINT MatchStartCommandId = 3006;
constexpr UINT MatchWordStartCommandId = 3007;
constexpr UINT ReloadCommandId = 3008;
constexpr UINT WebSiteCommandId = 3009;
// Posted by a closing band that held the hot key to the notification windows of the other
// bands: one of them takes the key over.
constexpr UINT HotKeyFreedCommandId = 3010;
// Posted by the edit field: Ctrl+Shift+Enter starts the item as LaunchCommandId does, but
// with the "runas" verb; Ctrl+Shift+E opens the item's folder in Explorer.
constexpr UINT RunAsAdministratorCommandId = 3011;
constexpr UINT OpenItemFolderCommandId = 3012;
// The Matching submenu's fourth mode.
constexpr UINT MatchBestCommandId = 3013;
// Posted by a band that saved the launch history or the learned picks to the notification
// windows of the other bands, which read the files again off their window thread.
constexpr UINT BandFilesSavedCommandId = 3014;
// LaunchCommandId (32776) is declared with the edit field that posts it.

constexpr int HotKeyId = 2112;

constexpr const wchar_t* NotificationWindowClass = L"BB676CE4-D76C-409b-9F4F-1ADC302DB669";

}  // namespace kest
