#include "PackagedApps.h"
#include "ComPtr.h"
#include "UniqueHandle.h"
#include "search/TextRules.h"
#include <windows.h>
#include <knownfolders.h>
#include <propkey.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <mutex>

namespace kest {

namespace {

std::wstring shellItemName(IShellItem* item, SIGDN form) {
    wchar_t* name = nullptr;
    if (FAILED(item->GetDisplayName(form, &name)) || !name) return std::wstring();
    const UniqueHandle<CoTaskMemTraits> owner(name);
    return name;
}

std::wstring appUserModelId(IShellItem* item) {
    ComPtr<IShellItem2> properties = ComPtr<IShellItem>(item).query<IShellItem2>();
    wchar_t* id = nullptr;
    if (!properties || FAILED(properties->GetString(PKEY_AppUserModel_ID, &id)) || !id) return std::wstring();
    const UniqueHandle<CoTaskMemTraits> owner(id);
    return id;
}

class ShellAppsFolder : public AppsFolder {
public:
    std::vector<AppsFolderItem> items(const std::atomic<bool>& abortRequested) override {
        std::vector<AppsFolderItem> found;
        ComPtr<IShellItem> folder;
        if (FAILED(SHGetKnownFolderItem(FOLDERID_AppsFolder, KF_FLAG_DEFAULT, nullptr, IID_IShellItem,
                                        folder.putVoid())) ||
            !folder)
            return found;
        ComPtr<IEnumShellItems> enumeration;
        if (FAILED(folder->BindToHandler(nullptr, BHID_EnumItems, IID_IEnumShellItems, enumeration.putVoid())) ||
            !enumeration)
            return found;
        while (!abortRequested) {
            ComPtr<IShellItem> item;
            ULONG fetched = 0;
            if (enumeration->Next(1, item.put(), &fetched) != S_OK || fetched != 1 || !item) break;
            found.push_back({shellItemName(item.get(), SIGDN_NORMALDISPLAY), shellItemName(item.get(), SIGDN_PARENTRELATIVEPARSING),
                             appUserModelId(item.get())});
        }
        return found;
    }
};

std::mutex appsFolderLock;
std::shared_ptr<AppsFolder>& appsFolderInUse() {
    static std::shared_ptr<AppsFolder> folder = std::make_shared<ShellAppsFolder>();
    return folder;
}

}  // namespace

std::shared_ptr<AppsFolder> currentAppsFolder() {
    std::lock_guard<std::mutex> lock(appsFolderLock);
    return appsFolderInUse();
}

void replaceAppsFolder(std::shared_ptr<AppsFolder> folder) {
    std::lock_guard<std::mutex> lock(appsFolderLock);
    appsFolderInUse() = folder ? std::move(folder) : std::make_shared<ShellAppsFolder>();
}

bool isPackagedAppId(const std::wstring& id) {
    const std::size_t bang = id.find(L'!');
    if (bang == std::wstring::npos || bang + 1 == id.size() || id.find(L'!', bang + 1) != std::wstring::npos)
        return false;
    // The package family is "name_publisher".
    const std::size_t underscore = id.find(L'_');
    if (underscore == 0 || underscore == std::wstring::npos || underscore + 1 >= bang) return false;
    for (const wchar_t unit : id)
        if (unit <= L' ' || unit == L'\\' || unit == L'/' || unit == L':') return false;
    return true;
}

bool isAppsFolderPath(const std::wstring& path) {
    const std::wstring prefix = AppsFolderPrefix;
    return equalsIgnoreAsciiCase(leadingCharacters(path, prefix.size()), prefix);
}

ShortcutIndex packagedAppEntries(const std::vector<AppsFolderItem>& items) {
    ShortcutIndex apps;
    for (const AppsFolderItem& item : items) {
        // The shell gives the id as a property; the parsing name of a packaged app is the same id.
        const std::wstring& id = item.appUserModelId.empty() ? item.parsingName : item.appUserModelId;
        if (!isPackagedAppId(id) || item.displayName.empty()) continue;
        ShortcutEntry entry;
        entry.name = item.displayName;
        entry.path = AppsFolderPrefix + id;
        entry.executable = entry.path;
        apps[entry.path] = std::move(entry);
    }
    return apps;
}

}  // namespace kest
