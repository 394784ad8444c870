#include "ShortcutFiles.h"
#include "ComPtr.h"
#include "UniqueHandle.h"
#include <intshcut.h>
#include <shlwapi.h>
#include <mutex>
#include <vector>

namespace kest {

namespace {

// MinGW-w64's import libraries do not carry all of these; defined here once.
const CLSID ClsidInternetShortcut = {0xfbf23b40, 0xe3f0, 0x101b, {0x84, 0x88, 0x00, 0xaa, 0x00, 0x3e, 0x56, 0xf8}};
const IID IidUniformResourceLocatorW = {0xcabb0da0, 0xda57, 0x11cf, {0x99, 0x74, 0x00, 0x20, 0xaf, 0xd7, 0x97, 0x62}};
const FMTID FmtidIntshcut = {0x000214a0, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IidPropertySetStorage = {0x0000013a, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IidPersistFile = {0x0000010b, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IidShellLinkW = {0x000214f9, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr PROPID PidIsUrl = 2;

bool readUrlProperty(IPropertySetStorage* storage, std::wstring& url) {
    if (!storage) return false;
    ComPtr<IPropertyStorage> properties;
    if (FAILED(storage->Open(FmtidIntshcut, STGM_READ | STGM_SHARE_EXCLUSIVE, properties.put())) || !properties)
        return false;
    PROPSPEC spec = {};
    spec.ulKind = PRSPEC_PROPID;
    spec.propid = PidIsUrl;
    PROPVARIANT value;
    PropVariantInit(&value);
    bool found = false;
    if (SUCCEEDED(properties->ReadMultiple(1, &spec, &value)) && value.vt == VT_LPWSTR && value.pwszVal) {
        url = value.pwszVal;
        found = true;
    }
    PropVariantClear(&value);
    return found;
}

ComPtr<IPersistFile> loadInternetShortcut(const std::wstring& path) {
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(ClsidInternetShortcut, nullptr, CLSCTX_INPROC_SERVER, IidPersistFile,
                                file.putVoid())) ||
        !file)
        return nullptr;
    if (FAILED(file->Load(extendedLengthPath(path).c_str(), STGM_READ))) return nullptr;
    return file;
}

// GetPath into buffer; a path of size characters or more does not fit and is refused.
bool linkPath(IShellLinkW* link, wchar_t* buffer, size_t size, DWORD flags) {
    std::vector<wchar_t> path(size + 1, L'\0');
    const HRESULT result = link->GetPath(path.data(), static_cast<int>(path.size()), nullptr, flags);
    buffer[0] = L'\0';
    if (FAILED(result)) return false;
    const size_t length = wcsnlen(path.data(), path.size());
    if (length >= size) return false;
    wmemcpy(buffer, path.data(), length + 1);
    return true;
}

class FileSystemTargetCheck : public TargetCheck {
public:
    bool exists(const wchar_t* path) override { return PathFileExistsW(path) != FALSE; }
};

std::mutex targetCheckLock;
std::shared_ptr<TargetCheck>& targetCheckInUse() {
    static std::shared_ptr<TargetCheck> check = std::make_shared<FileSystemTargetCheck>();
    return check;
}

// path always fits MAX_PATH here: longer targets were refused before.
bool existingPath(const wchar_t* path) { return path[0] != L'\0' && currentTargetCheck()->exists(path); }

// With SLR_NO_UI the high word of Resolve's flags is the most it may take, in milliseconds
// (3 s when 0). Wine ignores it.
constexpr DWORD ResolveTimeout = 1000;

// The stored path, with an environment-variable path expanded to its short form.
bool storedTarget(IShellLinkW* link, wchar_t* buffer, size_t size) {
    if (!linkPath(link, buffer, size, SLGP_RAWPATH)) return false;
    if (buffer[0] != L'%') return true;
    if (!linkPath(link, buffer, size, SLGP_SHORTPATH)) return false;
    if (buffer[0] != L'%') return true;
    // Wine's GetPath ignores its flags and hands the raw path back; expand it as Windows does.
    std::vector<wchar_t> expanded(size + 1, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(buffer, expanded.data(), static_cast<DWORD>(expanded.size()));
    if (length == 0 || length > size) return false;
    const DWORD shortLength = GetShortPathNameW(expanded.data(), buffer, static_cast<DWORD>(size));
    if (shortLength == 0 || shortLength >= size) {
        if (wcsnlen(expanded.data(), expanded.size()) >= size) return false;
        wmemcpy(buffer, expanded.data(), wcsnlen(expanded.data(), expanded.size()) + 1);
    }
    return true;
}

}  // namespace

std::shared_ptr<TargetCheck> currentTargetCheck() {
    std::lock_guard<std::mutex> lock(targetCheckLock);
    return targetCheckInUse();
}

void replaceTargetCheck(std::shared_ptr<TargetCheck> check) {
    std::lock_guard<std::mutex> lock(targetCheckLock);
    targetCheckInUse() = check ? std::move(check) : std::make_shared<FileSystemTargetCheck>();
}

std::wstring extendedLengthPath(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0) return path;
    if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

bool ResolveLinkTarget(IPersistFile* persistFile, const wchar_t* linkPath, wchar_t* buffer, size_t size,
                       const WindowsInstaller& installer, HWND owner) {
    if (!linkPath || !buffer || size == 0) return false;
    buffer[0] = L'\0';

    std::wstring product, component;
    if (installer.shortcutTarget(extendedLengthPath(linkPath).c_str(), product, component))
        return installer.localComponentPath(product, component, buffer, static_cast<DWORD>(size)) &&
               existingPath(buffer);

    if (!persistFile) return false;
    ComPtr<IShellLinkW> link;
    if (FAILED(persistFile->QueryInterface(IidShellLinkW, link.putVoid())) || !link) return false;
    if (storedTarget(link.get(), buffer, size) && buffer[0] != L'\0') return existingPath(buffer);

    // No user interface: this runs on the worker, and a dialog would block closing the bar.
    if (FAILED(link->Resolve(owner, static_cast<DWORD>(MAKELONG(SLR_NO_UI | SLR_ANY_MATCH, ResolveTimeout))))) {
        buffer[0] = L'\0';
        return false;
    }
    return storedTarget(link.get(), buffer, size) && existingPath(buffer);
}

void ReadLinkFile(const std::wstring& path, ShortcutEntry& entry, IShellLinkW* shellLink,
                  const WindowsInstaller& installer, HWND owner) {
    if (path.empty() || !shellLink) return;
    ComPtr<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(IidPersistFile, file.putVoid())) || !file) return;
    if (FAILED(file->Load(extendedLengthPath(path).c_str(), STGM_READ))) return;

    wchar_t buffer[MAX_PATH] = {};
    if (!ResolveLinkTarget(file.get(), path.c_str(), buffer, MAX_PATH, installer, owner)) return;
    entry.executable = buffer;

    buffer[0] = L'\0';
    if (SUCCEEDED(shellLink->GetArguments(buffer, MAX_PATH))) entry.arguments = buffer;
    int showCommand = entry.showcmd;
    if (SUCCEEDED(shellLink->GetShowCmd(&showCommand))) entry.showcmd = showCommand;
    buffer[0] = L'\0';
    if (SUCCEEDED(shellLink->GetWorkingDirectory(buffer, MAX_PATH))) entry.workingdir = buffer;
    buffer[0] = L'\0';
    int iconIndex = entry.iconindex;
    if (SUCCEEDED(shellLink->GetIconLocation(buffer, MAX_PATH, &iconIndex))) {
        entry.iconlocation = buffer;
        entry.iconindex = iconIndex;
    }
}

bool readUrlFromShellStorage(const std::wstring& path, IShellFolder* desktopFolder, HWND owner, std::wstring& url) {
    if (path.empty() || !desktopFolder) return false;
    std::wstring name = path;
    ULONG eaten = 0;
    UniqueCoTaskMem item;
    if (FAILED(desktopFolder->ParseDisplayName(owner, nullptr, &name[0], &eaten,
                                               reinterpret_cast<PIDLIST_RELATIVE*>(item.put()), nullptr)) ||
        !item)
        return false;
    ComPtr<IPropertySetStorage> storage;
    if (FAILED(desktopFolder->BindToStorage(static_cast<PCUIDLIST_RELATIVE>(item.get()), nullptr,
                                            IidPropertySetStorage, storage.putVoid())))
        return false;
    return readUrlProperty(storage.get(), url);
}

bool readUrlFromShortcutProperties(const std::wstring& path, std::wstring& url) {
    ComPtr<IPersistFile> file = loadInternetShortcut(path);
    if (!file) return false;
    ComPtr<IPropertySetStorage> storage;
    if (FAILED(file->QueryInterface(IidPropertySetStorage, storage.putVoid()))) return false;
    return readUrlProperty(storage.get(), url);
}

bool readUrlFromShortcutObject(const std::wstring& path, std::wstring& url) {
    ComPtr<IPersistFile> file = loadInternetShortcut(path);
    if (!file) return false;
    ComPtr<IUniformResourceLocatorW> locator;
    if (FAILED(file->QueryInterface(IidUniformResourceLocatorW, locator.putVoid())) || !locator) return false;
    LPWSTR address = nullptr;
    if (FAILED(locator->GetURL(&address)) || !address) return false;
    UniqueCoTaskMem owner(address);
    url = address;
    return true;
}

void ReadUrlFile(const std::wstring& path, ShortcutEntry& entry, IShellFolder* desktopFolder, HWND owner) {
    if (path.empty()) return;
    std::wstring url;
    // Wine answers E_NOTIMPL to BindToStorage and lacks PID_IS_URL in the property set.
    if (readUrlFromShellStorage(path, desktopFolder, owner, url) || readUrlFromShortcutProperties(path, url) ||
        readUrlFromShortcutObject(path, url))
        entry.executable = url;
}

}  // namespace kest
