#include "CBandApp.h"
#include "BandIdentity.h"
#include "ComObject.h"
#include "ComPtr.h"
#include "UniqueHandle.h"
#include <comcat.h>
#include <commctrl.h>
#include <olectl.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <cwchar>

namespace kest {

namespace {

constexpr size_t TextBufferLength = 260;

// Creates (or opens) root\path with write access and writes one REG_SZ value including its
// terminating null. False when the key cannot be created.
bool writeStringValue(HKEY root, const std::wstring& path, const wchar_t* name, const wchar_t* data) noexcept {
    UniqueHKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD bytes = static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t));
    // Writes are not checked: only a key that cannot be created fails registration.
    RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes);
    return true;
}

// Asks the shell to refresh the desktop and the drives folder, so that it lists the band.
void notifyShell() noexcept {
    ComPtr<IMalloc> shellMalloc;
    const bool canFree = SUCCEEDED(SHGetMalloc(shellMalloc.put()));
    for (int folder : {CSIDL_DESKTOP, CSIDL_DRIVES}) {
        LPITEMIDLIST items = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &items)) || !items) continue;
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, items, nullptr);
        if (canFree) shellMalloc->Free(items);
    }
}

// Registers or removes the band's CATID_DeskBand category through the component categories
// manager. COM is uninitialised only when this call initialised it.
HRESULT changeCategory(bool add) noexcept {
    ComInitialization com;
    ComPtr<ICatRegister> categories;
    HRESULT result = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ICatRegister, categories.putVoid());
    if (FAILED(result)) return result;
    CATID category = CATID_DeskBand;
    result = add ? categories->RegisterClassImplCategories(CLSID_KestDeskBand, 1, &category)
                 : categories->UnRegisterClassImplCategories(CLSID_KestDeskBand, 1, &category);
    return result;
}

}  // namespace

std::wstring classIdText(REFCLSID clsid) {
    LPOLESTR text = nullptr;
    if (FAILED(StringFromIID(clsid, &text)) || !text) return std::wstring();
    UniqueCoTaskMem owner(text);
    wchar_t buffer[TextBufferLength] = L"";
    lstrcpynW(buffer, text, TextBufferLength);
    return buffer;
}

bool isNtFamily() noexcept {
    OSVERSIONINFOW version{sizeof(version)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExW(&version);
#pragma GCC diagnostic pop
    return known && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

CBandApp& CBandApp::instance() noexcept {
    static CBandApp app;
    return app;
}

LONG CBandApp::objectCount() noexcept { return LiveObjectCount::value(); }

bool CBandApp::initInstance(HINSTANCE module) noexcept {
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0x42FF};  // Windows 95 classes, ICC_USEREX_CLASSES, ICC_STANDARD_CLASSES
    InitCommonControlsEx(&controls);
    module_ = module;
    wchar_t name[64] = L"";
    if (LoadStringW(module, 1, name, 64) > 0) lstrcpynW(displayName_, name, 64);
    return true;
}

HRESULT CBandApp::registerServer() const noexcept {
    const std::wstring clsid = classIdText(CLSID_KestDeskBand);
    if (clsid.empty()) return SELFREG_E_CLASS;
    wchar_t modulePath[TextBufferLength] = L"";
    const DWORD pathLength = GetModuleFileNameW(module_, modulePath, TextBufferLength);
    // A cut-off path would register a file that does not exist.
    if (pathLength == 0 || pathLength >= TextBufferLength) return SELFREG_E_CLASS;

    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring serverKey = classKey + L"\\InProcServer32";
    if (!writeStringValue(HKEY_CLASSES_ROOT, classKey, nullptr, displayName_) ||
        !writeStringValue(HKEY_CLASSES_ROOT, serverKey, nullptr, modulePath) ||
        !writeStringValue(HKEY_CLASSES_ROOT, serverKey, L"ThreadingModel", L"Apartment")) {
        return SELFREG_E_CLASS;
    }
    if (isNtFamily() &&
        !writeStringValue(HKEY_LOCAL_MACHINE, ApprovedExtensionsKey, clsid.c_str(), displayName_)) {
        return SELFREG_E_CLASS;
    }
    notifyShell();
    return SUCCEEDED(changeCategory(true)) ? S_OK : SELFREG_E_CLASS;
}

HRESULT CBandApp::unregisterServer() const noexcept {
    const std::wstring clsid = classIdText(CLSID_KestDeskBand);
    if (clsid.empty()) return E_FAIL;
    SHDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid).c_str());
    if (isNtFamily()) {
        UniqueHKey approved;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ApprovedExtensionsKey, 0, KEY_SET_VALUE, approved.put()) !=
            ERROR_SUCCESS) {
            return SELFREG_E_CLASS;
        }
        RegDeleteValueW(approved.get(), clsid.c_str());
    }
    notifyShell();
    changeCategory(false);
    return S_OK;
}

}  // namespace kest
