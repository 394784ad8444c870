#pragma once
// The floating bar's fixed names and numbers: its window class, by which a second start
// finds the first, its single-instance mutex, its commands and its exit codes.
#include <windows.h>

namespace kest {

constexpr const wchar_t* FloatBarWindowClass = L"KestruneFloatingBar";
constexpr const wchar_t* FloatBarWindowTitle = L"Kestrune";
// Per session: one floating bar per logged-on user.
constexpr const wchar_t* FloatBarMutexName = L"Local\\Brindlewood.Kestrune.FloatingBar";

// WM_COMMAND identifiers of the floating bar's window. The first three are its menu (the
// notification-area icon's and the grip's); BringForward is what a second start posts.
constexpr UINT ShowBarCommandId = 4001;       // "Show Bar", checked while the bar is shown
constexpr UINT OpenSettingsCommandId = 4002;  // "Settings..."
constexpr UINT ExitCommandId = 4003;          // "Exit"
constexpr UINT BringForwardCommandId = 4004;  // show the bar with the focus in the search box

// The notification-area icon's callback message (lParam: the mouse message) and its id.
constexpr UINT NotifyIconMessage = WM_APP + 1;
constexpr UINT NotifyIconId = 1;

// The program's exit codes.
constexpr int ExitClosedCleanly = 0;     // the band was closed and its module may unload
constexpr int ExitAlreadyRunning = 1;    // another instance runs; it was asked to show itself
constexpr int ExitBandUnavailable = 2;   // no window, or the band could not be loaded or sited
constexpr int ExitBandStillInUse = 3;    // a second after the last Release DllCanUnloadNow said S_FALSE

}  // namespace kest
