#pragma once
// String-list subkeys: the value names of a subkey of HKEY_CURRENT_USER are the items of
// a list, each value REG_SZ without data. An item is never empty and never twice.
#include <string>
#include <vector>

namespace kest {

using StringList = std::vector<std::wstring>;

// The longest item a list holds: value names are enumerated into 260 characters.
constexpr size_t MaxStringListItemLength = 259;

// Appends the subkey's items in registry order to list, skipping names that do not fit;
// false, with list unchanged, when the subkey cannot be opened.
bool ReadStringListKey(const wchar_t* subkeyPath, StringList& list);
// Adds one value per non-empty item, creating the subkey; false when it cannot be created.
bool WriteStringListKey(const wchar_t* subkeyPath, const StringList& list);
// Replaces the whole list: deletes the subkey, then writes it again.
bool ReplaceStringListKey(const wchar_t* subkeyPath, const StringList& list);

}  // namespace kest
