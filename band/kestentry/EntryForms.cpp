#include "EntryForms.h"
#include "PackagedApps.h"
#include "search/TextRules.h"
#include <cwchar>

namespace kest {

namespace {
bool startsWith(const std::wstring& path, const wchar_t* prefix) {
    return equalsIgnoreAsciiCase(leadingCharacters(path, std::wcslen(prefix)), prefix);
}
}  // namespace

EntryForm entryFormOf(const std::wstring& path) {
    if (isAppsFolderPath(path)) return EntryForm::PackagedApp;
    if (startsWith(path, SettingsPagePrefix)) return EntryForm::SettingsPage;
    if (startsWith(path, ControlPanelItemPrefix)) return EntryForm::ControlPanelItem;
    if (startsWith(path, SystemCommandPrefix)) return EntryForm::SystemCommand;
    return EntryForm::File;
}

const wchar_t* entryFormFolder(EntryForm form) {
    switch (form) {
    case EntryForm::PackagedApp: return L"Apps";
    case EntryForm::SettingsPage: return L"Settings";
    case EntryForm::ControlPanelItem: return L"Control Panel";
    case EntryForm::SystemCommand: return L"System";
    case EntryForm::File: break;
    }
    return nullptr;
}

ShortcutEntry listedEntry(const std::wstring& name, const std::wstring& path, const std::wstring& iconLocation,
                          int iconIndex) {
    ShortcutEntry entry;
    entry.name = name;
    entry.path = path;
    entry.executable = path;
    entry.iconlocation = iconLocation;
    entry.iconindex = iconIndex;
    return entry;
}

ShortcutIndex listedEntriesIn(const ShortcutIndex& index) {
    ShortcutIndex listed;
    for (const auto& entry : index)
        if (entryFormOf(entry.first) != EntryForm::File) listed.insert(listed.end(), entry);
    return listed;
}

void replaceListedEntries(ShortcutIndex& index, const ShortcutIndex& listed) {
    for (auto entry = index.begin(); entry != index.end();)
        entry = entryFormOf(entry->first) != EntryForm::File ? index.erase(entry) : std::next(entry);
    for (const auto& item : listed) index[item.first] = item.second;
}

}  // namespace kest
