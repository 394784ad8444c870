#include "WindowsInstaller.h"
#include <vector>

namespace kest {

namespace {
constexpr int InstallStateLocal = 3;  // INSTALLSTATE_LOCAL
constexpr size_t GuidLength = 39;     // "{...}" and its terminator
}  // namespace

WindowsInstaller::WindowsInstaller() {
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::wstring path(system, length);
    if (path.back() != L'\\') path += L'\\';
    path += L"msi.dll";
    module_.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module_) return;
    getShortcutTarget_ = reinterpret_cast<GetShortcutTarget>(
        reinterpret_cast<void*>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(ShortcutTargetOrdinal))));
    getComponentPath_ = reinterpret_cast<GetComponentPath>(
        reinterpret_cast<void*>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(ComponentPathOrdinal))));
}

std::wstring WindowsInstaller::modulePath() const {
    if (!module_) return std::wstring();
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module_.get(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() > 32768) return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
}

bool WindowsInstaller::shortcutTarget(const wchar_t* linkPath, std::wstring& product, std::wstring& component) const {
    if (!getShortcutTarget_ || !linkPath) return false;
    wchar_t productCode[GuidLength] = {};
    wchar_t componentCode[GuidLength] = {};
    if (getShortcutTarget_(linkPath, productCode, nullptr, componentCode) != ERROR_SUCCESS) return false;
    product = productCode;
    component = componentCode;
    return true;
}

bool WindowsInstaller::localComponentPath(const std::wstring& product, const std::wstring& component,
                                          wchar_t* buffer, DWORD size) const {
    if (!getComponentPath_ || !buffer || size == 0) return false;
    DWORD length = size;
    const int state = getComponentPath_(product.c_str(), component.c_str(), buffer, &length);
    // The count comes back without the terminator; a path that did not fit is not taken.
    if (state != InstallStateLocal || length >= size) {
        buffer[0] = L'\0';
        return false;
    }
    return true;
}

}  // namespace kest
