#pragma once
// Packaged apps (Calculator, Settings, the apps of the Store) have no shortcut file. They are
// listed from the shell's Applications folder and indexed as entries of their own, with
// "shell:AppsFolder\<Application User Model ID>" as path and executable, which the shell
// starts. Ordinary programs of that folder come through their shortcuts and are left out.
#include "ShortcutEntry.h"
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace kest {

constexpr const wchar_t* AppsFolderPrefix = L"shell:AppsFolder\\";

// One item of the Applications folder, as the shell describes it.
struct AppsFolderItem {
    std::wstring displayName;
    std::wstring parsingName;
    std::wstring appUserModelId;  // empty when the item has none

    bool operator==(const AppsFolderItem& other) const {
        return displayName == other.displayName && parsingName == other.parsingName &&
               appUserModelId == other.appUserModelId;
    }
};

// Where the items come from: the shell's folder, or a stand-in in the tests.
class AppsFolder {
public:
    virtual ~AppsFolder() = default;
    // Every item; empty when the folder cannot be listed (as on systems without it). Called
    // on the index keeper's threads, with COM initialised there. Once abortRequested is set
    // it may stop early, with the items listed so far.
    virtual std::vector<AppsFolderItem> items(const std::atomic<bool>& abortRequested) = 0;
};

// The folder the band lists: the shell's, unless another was put in its place.
std::shared_ptr<AppsFolder> currentAppsFolder();
void replaceAppsFolder(std::shared_ptr<AppsFolder> folder);

// "family!app", the family being "name_publisher", without blanks or path characters: a
// packaged app's id, as opposed to an ordinary program's.
bool isPackagedAppId(const std::wstring& id);
// True for a path or executable of the Applications folder.
bool isAppsFolderPath(const std::wstring& path);

// The entries of the packaged apps among items, keyed by path.
ShortcutIndex packagedAppEntries(const std::vector<AppsFolderItem>& items);

}  // namespace kest
