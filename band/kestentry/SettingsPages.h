#pragma once
// The Settings app's pages as entries: "Display" with the path "ms-settings:display",
// shown as "Display (Settings)". Listed only where the Settings app exists.
#include "ShortcutEntry.h"

namespace kest {

// Windows 10 or later, as RtlGetVersion reports it: the version helpers and GetVersionEx
// answer by the host program's manifest, which need not name Windows 10.
bool settingsAppExists();

// Every page of the table, with the shell's settings icon; empty without the Settings app.
ShortcutIndex settingsPageEntries();

}  // namespace kest
