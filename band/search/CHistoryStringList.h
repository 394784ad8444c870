#pragma once
// The typed-command history: lower-cased commands and their parent folders, kept in the
// "\history" string-list subkey.
#include "StringListKey.h"
#include <string>

namespace kest {

// Appends s (already lower-cased) to list, preceded by each of its ancestors that the list
// lacks: c:\tools\app\app.exe adds c:\tools\app, c:\tools, c:\, c: and then itself.
// Nothing is added when s is already listed.
void appendCommandWithAncestors(StringList& list, const std::wstring& s);

class CHistoryStringList {
public:
    const StringList& items() const noexcept { return items_; }
    bool enabled() const noexcept { return enabled_; }

    // Empties the list, reads the subkey and re-reads "includeHistory".
    void LoadFromRegistry();
    // Records a typed command that was started; rewrites the subkey and reloads it.
    void AddCommand(const std::wstring& text);
    // Deletes the value named exactly text; the asterisk sound on success, else the hand.
    void RemoveCommand(const std::wstring& text);

private:
    StringList items_;
    bool enabled_ = true;
};

}  // namespace kest
