#include "ControlPanelItems.h"
#include "ComPtr.h"
#include "EntryForms.h"
#include "UniqueHandle.h"
#include "search/ShellRun.h"
#include "search/TextRules.h"
#include <windows.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <cwchar>
#include <mutex>

namespace kest {

namespace {

std::wstring shellItemName(IShellItem* item, SIGDN form) {
    wchar_t* name = nullptr;
    if (FAILED(item->GetDisplayName(form, &name)) || !name) return std::wstring();
    const UniqueCoTaskMem owner(name);
    return name;
}

ControlPanelItem describe(IShellItem* item) {
    ControlPanelItem described{shellItemName(item, SIGDN_NORMALDISPLAY),
                               shellItemName(item, SIGDN_DESKTOPABSOLUTEPARSING), std::wstring(), 0};
    // A ".cpl" applet's icon is in its own file, which is also what starts it.
    ComPtr<IExtractIconW> icon;
    wchar_t file[MAX_PATH] = {};
    int index = 0;
    UINT flags = 0;
    if (SUCCEEDED(item->BindToHandler(nullptr, BHID_SFUIObject, IID_IExtractIconW, icon.putVoid())) && icon &&
        icon->GetIconLocation(0, file, MAX_PATH, &index, &flags) == S_OK && !(flags & GIL_NOTFILENAME)) {
        described.iconFile = file;
        described.iconIndex = index;
    }
    return described;
}

class ShellControlPanelFolder : public ControlPanelFolder {
public:
    std::vector<ControlPanelItem> items(const std::atomic<bool>& abort) override {
        std::vector<ControlPanelItem> found;
        ComPtr<IShellItem> folder;
        if (FAILED(SHGetKnownFolderItem(FOLDERID_ControlPanelFolder, KF_FLAG_DEFAULT, nullptr, IID_IShellItem,
                                        folder.putVoid())) ||
            !folder)
            return found;
        ComPtr<IEnumShellItems> enumeration;
        if (SUCCEEDED(folder->BindToHandler(nullptr, BHID_EnumItems, IID_IEnumShellItems, enumeration.putVoid())) &&
            enumeration) {
            while (!abort) {
                ComPtr<IShellItem> item;
                ULONG fetched = 0;
                if (enumeration->Next(1, item.put(), &fetched) != S_OK || fetched != 1 || !item) break;
                found.push_back(describe(item.get()));
            }
            return found;
        }
        // Wine's shell items bind no BHID_EnumItems: the folder's own enumeration gives the
        // same items, one ID list each.
        ComPtr<IShellFolder> shellFolder;
        ComPtr<IEnumIDList> ids;
        if (FAILED(folder->BindToHandler(nullptr, BHID_SFObject, IID_IShellFolder, shellFolder.putVoid())) ||
            !shellFolder || shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, ids.put()) != S_OK ||
            !ids)
            return found;
        while (!abort) {
            PITEMID_CHILD child = nullptr;
            ULONG fetched = 0;
            if (ids->Next(1, &child, &fetched) != S_OK || fetched != 1 || !child) break;
            const UniqueCoTaskMem childOwner(child);
            ComPtr<IShellItem> item;
            if (SUCCEEDED(SHCreateShellItem(nullptr, shellFolder.get(), child, item.put())) && item)
                found.push_back(describe(item.get()));
        }
        return found;
    }
};

std::mutex controlPanelFolderLock;
std::shared_ptr<ControlPanelFolder>& controlPanelFolderInUse() {
    static std::shared_ptr<ControlPanelFolder> folder = std::make_shared<ShellControlPanelFolder>();
    return folder;
}

// True when the parsing name's last part is the item's own "::{…}" class name.
bool hasOwnClassName(const std::wstring& parsingName) {
    const size_t at = parsingName.rfind(L"::{");
    return at != std::wstring::npos && (at == 0 || parsingName[at - 1] == L'\\') &&
           parsingName.find(L'\\', at) == std::wstring::npos;
}

bool endsWithCpl(const std::wstring& file) {
    const std::wstring extension = L".cpl";
    return file.size() > extension.size() && equalsIgnoreAsciiCase(file.substr(file.size() - extension.size()), extension);
}

}  // namespace

std::shared_ptr<ControlPanelFolder> currentControlPanelFolder() {
    std::lock_guard<std::mutex> lock(controlPanelFolderLock);
    return controlPanelFolderInUse();
}

void replaceControlPanelFolder(std::shared_ptr<ControlPanelFolder> folder) {
    std::lock_guard<std::mutex> lock(controlPanelFolderLock);
    controlPanelFolderInUse() = folder ? std::move(folder) : std::make_shared<ShellControlPanelFolder>();
}

std::wstring controlPanelStartForm(const ControlPanelItem& item) {
    if (hasOwnClassName(item.parsingName)) return item.parsingName;
    // control.exe (Control_RunDLL) picks the applet of the file by its name; both quoted, as
    // the name may hold blanks and commas. A quote cannot be given.
    if (!endsWithCpl(item.iconFile) || item.displayName.empty() || item.iconFile.find(L'"') != std::wstring::npos ||
        item.displayName.find(L'"') != std::wstring::npos)
        return std::wstring();
    return L"\"" + item.iconFile + L"\",\"" + item.displayName + L"\"";
}

ShortcutIndex controlPanelEntries(const std::vector<ControlPanelItem>& items) {
    ShortcutIndex entries;
    for (const ControlPanelItem& item : items) {
        const std::wstring form = controlPanelStartForm(item);
        if (form.empty() || item.displayName.empty()) continue;
        const std::wstring path = ControlPanelItemPrefix + form;
        // Without an icon file the shell's generic icon shows.
        entries[path] = listedEntry(item.displayName, path, item.iconFile, item.iconFile.empty() ? -1 : item.iconIndex);
    }
    return entries;
}

bool startControlPanelItem(const std::wstring& path, int showCommand) {
    if (entryFormOf(path) != EntryForm::ControlPanelItem) return false;
    const std::wstring form = path.substr(std::wcslen(ControlPanelItemPrefix));
    if (hasOwnClassName(form)) {
        PIDLIST_ABSOLUTE item = nullptr;
        if (FAILED(SHParseDisplayName(form.c_str(), nullptr, &item, 0, nullptr)) || !item) return false;
        const UniqueCoTaskMem owner(item);
        SHELLEXECUTEINFOW execute{};
        execute.cbSize = sizeof(execute);
        execute.fMask = SEE_MASK_IDLIST;
        execute.lpIDList = item;
        execute.nShow = showCommand;
        return ShellExecuteExW(&execute) != FALSE;
    }
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    return shellRun(std::wstring(system) + L"\\control.exe", form.c_str(), nullptr, showCommand);
}

}  // namespace kest
