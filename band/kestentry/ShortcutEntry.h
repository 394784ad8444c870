#pragma once
// One shortcut file as the index keeps it, and the index itself.
#include <map>
#include <string>

namespace kest {

struct ShortcutEntry {
    std::wstring name;          // the shortcut's file name with its extension
    std::wstring executable;    // the resolved target of a ".lnk", the address of a ".url"
    std::wstring path;          // the shortcut file's full path; the index key
    std::wstring workingdir;
    std::wstring arguments;
    std::wstring iconlocation;
    int showcmd = 1;            // SW_SHOWNORMAL
    int iconindex = -1;

    bool operator==(const ShortcutEntry& other) const {
        return name == other.name && executable == other.executable && path == other.path &&
               workingdir == other.workingdir && arguments == other.arguments &&
               iconlocation == other.iconlocation && showcmd == other.showcmd && iconindex == other.iconindex;
    }
};

// Keyed by path, compared ordinally by UTF-16 code unit (wchar_t is unsigned 16-bit here),
// so paths that differ only in letter case are two entries.
using ShortcutIndex = std::map<std::wstring, ShortcutEntry>;

}  // namespace kest
