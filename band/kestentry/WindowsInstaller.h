#pragma once
// The two Windows Installer functions that resolve an advertised shortcut, bound by
// ordinal from the system folder's "msi.dll" (never found through the search path).
#include "UniqueHandle.h"
#include <string>

namespace kest {

class WindowsInstaller {
public:
    WindowsInstaller();
    WindowsInstaller(const WindowsInstaller&) = delete;
    WindowsInstaller& operator=(const WindowsInstaller&) = delete;

    bool available() const { return getShortcutTarget_ && getComponentPath_; }
    // The full path of the module that was loaded; empty when none.
    std::wstring modulePath() const;

    // The product and component codes of an advertised shortcut; false for an ordinary
    // link or when the module is unavailable.
    bool shortcutTarget(const wchar_t* linkPath, std::wstring& product, std::wstring& component) const;
    // The component's installed path into buffer (size characters); true only when the
    // component is installed locally and the path fits.
    bool localComponentPath(const std::wstring& product, const std::wstring& component, wchar_t* buffer,
                            DWORD size) const;

    static constexpr WORD ShortcutTargetOrdinal = 217;  // MsiGetShortcutTargetW
    static constexpr WORD ComponentPathOrdinal = 173;   // MsiGetComponentPathW

private:
    using GetShortcutTarget = UINT(WINAPI*)(LPCWSTR, LPWSTR, LPWSTR, LPWSTR);
    using GetComponentPath = int(WINAPI*)(LPCWSTR, LPCWSTR, LPWSTR, LPDWORD);

    UniqueHModule module_;
    GetShortcutTarget getShortcutTarget_ = nullptr;
    GetComponentPath getComponentPath_ = nullptr;
};

}  // namespace kest
