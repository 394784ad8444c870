#pragma once
// The band module: its start-up state and its self-registration as a desk band.
#include <windows.h>
#include <string>

namespace kest {

class CBandApp {
public:
    // The one module object.
    static CBandApp& instance() noexcept;

    // Module start-up: common controls (Windows 95 classes, extended combo box, standard
    // controls), the instance handle, the display name from string resource 1. Always succeeds.
    bool initInstance(HINSTANCE module) noexcept;

    HINSTANCE module() const noexcept { return module_; }
    const wchar_t* displayName() const noexcept { return displayName_; }
    // Live COM objects of the module (class factories and bands); 0 means it may unload.
    static LONG objectCount() noexcept;

    // DllRegisterServer: S_OK, or SELFREG_E_CLASS when a key or the category cannot be written.
    HRESULT registerServer() const noexcept;
    // DllUnregisterServer: S_OK; E_FAIL when the class id cannot be made text;
    // SELFREG_E_CLASS when the approved-extensions key cannot be opened.
    HRESULT unregisterServer() const noexcept;

private:
    CBandApp() = default;

    HINSTANCE module_ = nullptr;
    wchar_t displayName_[64] = L"Kestrune";
};

// The class id in its registry form with braces; empty on failure.
std::wstring classIdText(REFCLSID clsid);
// True on the NT family (GetVersionExW reports VER_PLATFORM_WIN32_NT).
bool isNtFamily() noexcept;

}  // namespace kest
