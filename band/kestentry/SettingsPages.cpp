#include "SettingsPages.h"
#include "EntryForms.h"
#include "SettingsPageTable.h"
#include <windows.h>
#include <shellapi.h>

namespace kest {

bool settingsAppExists() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto rtlGetVersion =
        ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                    reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
              : nullptr;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return rtlGetVersion && rtlGetVersion(&version) == 0 && version.dwMajorVersion >= 10;
}

ShortcutIndex settingsPageEntries() {
    ShortcutIndex pages;
    if (!settingsAppExists()) return pages;
    SHSTOCKICONINFO icon{};
    icon.cbSize = sizeof(icon);
    if (FAILED(SHGetStockIconInfo(SIID_SETTINGS, SHGSI_ICONLOCATION, &icon))) icon.szPath[0] = L'\0';
    for (unsigned page = 0; page < SettingsPageCount; ++page) {
        const SettingsPage& item = SettingsPages[page];
        pages[item.address] = listedEntry(item.name, item.address, icon.szPath, icon.iIcon);
    }
    return pages;
}

}  // namespace kest
