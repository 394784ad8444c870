#include "CHistoryStringList.h"
#include "SearchBarSettings.h"
#include "SettingsNames.h"
#include "SystemSounds.h"
#include "TextRules.h"
#include "UniqueHandle.h"
#include <algorithm>

namespace kest {

namespace {

bool listed(const StringList& list, const std::wstring& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

void appendIfMissing(StringList& list, const std::wstring& item) {
    if (!listed(list, item)) list.push_back(item);
}

}  // namespace

void appendCommandWithAncestors(StringList& list, const std::wstring& s) {
    if (listed(list, s)) return;
    std::wstring t = s;
    for (size_t i = t.rfind(L'\\'); i != std::wstring::npos; i = t.rfind(L'\\')) {
        if (i == 2) {
            t.resize(3);
            appendIfMissing(list, t);
        }
        t.resize(i);
        appendIfMissing(list, t);
    }
    list.push_back(s);
}

void CHistoryStringList::LoadFromRegistry() {
    items_.clear();
    ReadStringListKey(HistoryKeyPath, items_);
    enabled_ = readIncludeHistory();
}

void CHistoryStringList::AddCommand(const std::wstring& text) {
    if (text.empty()) return;
    appendCommandWithAncestors(items_, asciiLower(text));
    WriteStringListKey(HistoryKeyPath, items_);
    LoadFromRegistry();
}

void CHistoryStringList::RemoveCommand(const std::wstring& text) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, HistoryKeyPath, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) {
        key.release();
        playSystemSound(SystemSound::Hand);
        return;
    }
    DWORD valueCount = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        valueCount = 0;
    bool removed = false;
    for (DWORD index = 0; index < valueCount && !removed; ++index) {
        wchar_t name[MaxStringListItemLength + 1] = {};
        DWORD nameLength = MaxStringListItemLength + 1;
        if (RegEnumValueW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        if (nameLength == 0 || text != std::wstring(name, nameLength)) continue;
        RegDeleteValueW(key.get(), name);
        removed = true;
        LoadFromRegistry();
        playSystemSound(SystemSound::Asterisk);
    }
    if (!removed) playSystemSound(SystemSound::Hand);
}

}  // namespace kest
