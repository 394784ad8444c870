#pragma once
// The folder items for a typed path: the folder itself and what lies directly inside it
// whose full path begins with the typed text.
#include "StringListKey.h"
#include <string>

namespace kest {

// The shell's rule for removing the file part (PathRemoveFileSpecW): everything from the
// last backslash on, keeping the backslash after a drive letter ("c:\win" gives "c:\").
// path holds at most 259 characters.
std::wstring removeLastPathComponent(const std::wstring& path);

class CPathMatchStringList {
public:
    const StringList& items() const noexcept { return items_; }
    bool enabled() const noexcept { return enabled_; }
    // Re-reads "includeFolderItems", then lists the items for text (one folder level).
    void FillForPath(const std::wstring& text);

private:
    StringList items_;
    bool enabled_ = true;
};

}  // namespace kest
