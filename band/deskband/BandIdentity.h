#pragma once
// The fixed identity of the band: its class, its display name and its window class.
#include <windows.h>

namespace kest {

// {1156C8BE-FA98-4DEC-BCD1-F83850487688}: the only class the band module serves; the band
// also reports it as its persistence class.
inline constexpr CLSID CLSID_KestDeskBand = {
    0x1156c8be, 0xfa98, 0x4dec, {0xbc, 0xd1, 0xf8, 0x38, 0x50, 0x48, 0x76, 0x88}};

// The title shown on a vertical taskbar, and the fallback display name.
inline constexpr wchar_t BandTitle[] = L"Kestrune";
// Window class of the band's host window.
inline constexpr wchar_t BandWindowClass[] = L"KestDeskBand";

// Under HKEY_LOCAL_MACHINE: the shell's list of approved extensions (NT family only).
inline constexpr wchar_t ApprovedExtensionsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

}  // namespace kest
