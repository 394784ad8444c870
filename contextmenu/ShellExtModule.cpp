// The context-menu extension's entry points: the class object of CContextMenu, the unload
// check, and self-registration as a context-menu handler for all files and for folders.
#include "ShellExtModule.h"
#include "CClassFactory.h"
#include "ComPtr.h"
#include "UniqueHandle.h"
#include <commctrl.h>
#include <olectl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <string>

namespace {

using namespace kest;

constexpr const wchar_t* HandlerName = L"KESTSHX";
constexpr const wchar_t* ApprovedKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

bool isNtFamily() {
    OSVERSIONINFOW version = {sizeof(version)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&version)) return true;
#pragma GCC diagnostic pop
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The braced, upper-case class id; empty when it cannot be produced.
std::wstring bracedClassId() {
    UniqueCoTaskMem text;
    wchar_t* raw = nullptr;
    if (FAILED(StringFromIID(CLSID_KestContextMenu, &raw)) || !raw) return std::wstring();
    text.reset(raw);
    return std::wstring(raw);
}

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(moduleInstance(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

// Creates root\key and sets one string value (null name: the default value). False only when
// the key cannot be created; the value write is not checked.
bool writeStringValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& data) {
    UniqueHKey opened;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, opened.put(),
                        nullptr) != ERROR_SUCCESS) {
        opened.release();
        return false;
    }
    RegSetValueExW(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    return true;
}

void notifyShell() {
    for (int folder : {CSIDL_DESKTOP, CSIDL_DRIVES}) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folder, &list)) && list) {
            SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, list, nullptr);
            CoTaskMemFree(list);
        }
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        setModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
    } else if (reason == DLL_PROCESS_DETACH) {
        releaseModuleActivationContext();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return liveObjectCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_KestContextMenu)) return CLASS_E_CLASSNOTAVAILABLE;
    return createComObject<CClassFactory>(iid, out);
}

STDAPI DllRegisterServer() {
    const std::wstring classId = bracedClassId();
    const std::wstring path = modulePath();
    if (classId.empty() || path.empty()) return SELFREG_E_CLASS;
    const std::wstring classKey = L"CLSID\\" + classId;
    const std::wstring serverKey = classKey + L"\\InprocServer32";
    if (!writeStringValue(HKEY_CLASSES_ROOT, classKey, nullptr, HandlerName) ||
        !writeStringValue(HKEY_CLASSES_ROOT, serverKey, nullptr, path) ||
        !writeStringValue(HKEY_CLASSES_ROOT, serverKey, L"ThreadingModel", L"Apartment") ||
        !writeStringValue(HKEY_CLASSES_ROOT, classKey + L"\\DefaultIcon", nullptr, path + L",0") ||
        !writeStringValue(HKEY_CLASSES_ROOT, L"*\\shellex\\ContextMenuHandlers\\" + classId, nullptr, HandlerName) ||
        !writeStringValue(HKEY_CLASSES_ROOT, L"Folder\\shellex\\ContextMenuHandlers\\" + classId, nullptr,
                          HandlerName))
        return SELFREG_E_CLASS;
    if (isNtFamily() && !writeStringValue(HKEY_LOCAL_MACHINE, ApprovedKeyPath, classId.c_str(), HandlerName))
        return SELFREG_E_CLASS;
    notifyShell();
    return S_OK;
}

STDAPI DllUnregisterServer() {
    const std::wstring classId = bracedClassId();
    if (classId.empty()) return E_FAIL;
    SHDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + classId).c_str());
    SHDeleteKeyW(HKEY_CLASSES_ROOT, (L"*\\shellex\\ContextMenuHandlers\\" + classId).c_str());
    SHDeleteKeyW(HKEY_CLASSES_ROOT, (L"Folder\\shellex\\ContextMenuHandlers\\" + classId).c_str());
    if (isNtFamily()) {
        UniqueHKey approved;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ApprovedKeyPath, 0, KEY_SET_VALUE, approved.put()) != ERROR_SUCCESS) {
            approved.release();
            return SELFREG_E_CLASS;
        }
        RegDeleteValueW(approved.get(), classId.c_str());
    }
    notifyShell();
    return S_OK;
}
