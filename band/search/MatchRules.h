#pragma once
// What the typed text selects from the index, and how an entry is shown.
#include "SearchBarSettings.h"
#include "kestentry/ShortcutEntry.h"
#include <map>
#include <string>

namespace kest {

// Keyed by executable followed by name, so one program linked twice is listed once. The
// entries are the index's own: a match set is emptied whenever its index changes.
using MatchSet = std::map<std::wstring, const ShortcutEntry*>;

// A name matches when it begins with text (ASCII case folded), or else when the first
// occurrence of the lower-cased text in the lower-cased name is acceptable to the mode:
// anywhere under All, right after a blank under Word Start, never under Start.
bool nameMatches(const std::wstring& text, const std::wstring& name, MatchMode mode);

// Fills matches (emptied first) from the index in key order; the result counts matching
// index entries, duplicates included.
int collectMatches(const ShortcutIndex& index, const std::wstring& text, MatchMode mode, MatchSet& matches);

// The name without its extension, then the holding folder in parentheses when the path has
// one: "Notepad (Accessories)".
std::wstring entryDisplayText(const ShortcutEntry& entry);

}  // namespace kest
