#pragma once
// The entries that stand for no file: packaged apps, Settings pages, Control Panel items and
// system commands. Each form is told by its path, which is also its executable and which no
// file's path can be: "shell:AppsFolder\<app id>", "ms-settings:<page>",
// "kestrune:cpl:<item>" and "kestrune:<command>". The sources that list them are gathered
// by the index keeper and replace their entries at every load and rescan.
#include "ShortcutEntry.h"
#include <string>

namespace kest {

enum class EntryForm { File, PackagedApp, SettingsPage, ControlPanelItem, SystemCommand };

constexpr const wchar_t* SettingsPagePrefix = L"ms-settings:";
// What follows starts the item again after a restart from the index file.
constexpr const wchar_t* ControlPanelItemPrefix = L"kestrune:cpl:";
constexpr const wchar_t* SystemCommandPrefix = L"kestrune:";

// By the path's prefix, ASCII case folded.
EntryForm entryFormOf(const std::wstring& path);
// The folder shown in parentheses after the name of such an entry ("Settings" in
// "Display (Settings)"); null for a file, whose folder comes from its path. It is shown,
// never matched.
const wchar_t* entryFormFolder(EntryForm form);

// An entry of a listed form: its path is its executable; the name is shown as it is.
ShortcutEntry listedEntry(const std::wstring& name, const std::wstring& path, const std::wstring& iconLocation,
                          int iconIndex);

// The entries of index of a listed form.
ShortcutIndex listedEntriesIn(const ShortcutIndex& index);

// Removes every entry of a listed form from index and adds those of listed, so that a
// source no longer gathered leaves nothing behind.
void replaceListedEntries(ShortcutIndex& index, const ShortcutIndex& listed);

}  // namespace kest
