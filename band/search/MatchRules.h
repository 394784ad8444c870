#pragma once
// What the typed text selects from the index, and how an entry is shown.
#include "SearchBarSettings.h"
#include "kestentry/ShortcutEntry.h"
#include <vector>
#include <string>

namespace kest {

// Matching entries keyed by executable followed by name, in key order, so one program
// linked twice is listed once. The entries are the index's own: a match set is emptied
// whenever its index changes. Kept as a sorted array rather than a tree: filling it for a
// whole index of thousands then costs no allocation per entry.
class MatchSet {
public:
    using const_iterator = std::vector<const ShortcutEntry*>::const_iterator;

    const_iterator begin() const noexcept { return entries_.begin(); }
    const_iterator end() const noexcept { return entries_.end(); }
    size_t size() const noexcept { return entries_.size(); }
    bool empty() const noexcept { return entries_.empty(); }
    void clear() noexcept { entries_.clear(); }
    // The entry under key (executable followed by name), or null.
    const ShortcutEntry* find(const std::wstring& key) const noexcept;

private:
    friend class MatchCatalog;
    std::vector<const ShortcutEntry*> entries_;
};

// A name matches when it begins with text (ASCII case folded), or else when the first
// occurrence of the lower-cased text in the lower-cased name is acceptable to the mode:
// anywhere under All, right after a blank under Word Start, never under Start.
bool nameMatches(const std::wstring& text, const std::wstring& name, MatchMode mode);
// The same rule over a text and a name both lower-cased already.
bool loweredNameMatches(const std::wstring& loweredText, const std::wstring& loweredName, MatchMode mode) noexcept;

// Orders entries by key, executable followed by name compared as one string.
int compareEntryKeys(const ShortcutEntry& a, const ShortcutEntry& b) noexcept;

// Fills matches (emptied first) from the index; of entries under one key the one with the
// greater path remains. The result counts matching index entries, duplicates included.
int collectMatches(const ShortcutIndex& index, const std::wstring& text, MatchMode mode, MatchSet& matches);

// The name without its extension, then the holding folder in parentheses when the path has
// one: "Notepad (Accessories)".
std::wstring entryDisplayText(const ShortcutEntry& entry);

}  // namespace kest
