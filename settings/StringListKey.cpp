#include "StringListKey.h"
#include "UniqueHandle.h"
#include <shlwapi.h>

namespace kest {

bool ReadStringListKey(const wchar_t* subkeyPath, StringList& list) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkeyPath, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) {
        key.release();
        return false;
    }
    DWORD valueCount = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        valueCount = 0;
    for (DWORD index = 0; index < valueCount; ++index) {
        wchar_t name[MaxStringListItemLength + 1] = {};
        DWORD nameLength = MaxStringListItemLength + 1;
        if (RegEnumValueW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        if (nameLength == 0 || nameLength > MaxStringListItemLength) continue;
        list.emplace_back(name, nameLength);
    }
    return true;
}

bool WriteStringListKey(const wchar_t* subkeyPath, const StringList& list) {
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subkeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
        key.release();
        return false;
    }
    for (const std::wstring& item : list) {
        if (item.empty()) continue;
        RegSetValueExW(key.get(), item.c_str(), 0, REG_SZ, nullptr, 0);
    }
    return true;
}

bool ReplaceStringListKey(const wchar_t* subkeyPath, const StringList& list) {
    SHDeleteKeyW(HKEY_CURRENT_USER, subkeyPath);
    return WriteStringListKey(subkeyPath, list);
}

}  // namespace kest
