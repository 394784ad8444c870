#include "search/TextRules.h"
#include "UsageRecordImport.h"
#include "kestentry/PackagedApps.h"
#include "UniqueHandle.h"
#include <shlobj.h>
#include <cstring>
#include <set>

namespace kest {

namespace {

// Calls take(value name, data) for every value of the count subkey of keyPath whose name
// fits 260 units and whose data fits DataSize bytes; shorter data is zero-filled, so missing
// fields are 0. Nothing is read when the key's version value exists and is not
// acceptedVersion. Read access only: the records belong to the shell.
template <DWORD DataSize, class Take>
void forEachRecord(const wchar_t* keyPath, const wchar_t* versionValue, DWORD acceptedVersion,
                   const wchar_t* countSubkey, Take take) {
    UniqueHKey recordsKey;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, recordsKey.put()) != ERROR_SUCCESS) return;

    DWORD version = 0;
    DWORD versionSize = sizeof(version);
    if (RegQueryValueExW(recordsKey.get(), versionValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&version),
                         &versionSize) == ERROR_SUCCESS &&
        version != acceptedVersion)
        return;

    UniqueHKey counts;
    if (RegOpenKeyExW(recordsKey.get(), countSubkey, 0, KEY_READ, counts.put()) != ERROR_SUCCESS) return;

    DWORD valueCount = 0;
    if (RegQueryInfoKeyW(counts.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;

    for (DWORD index = 0; index < valueCount; ++index) {
        wchar_t name[MAX_PATH] = {};
        DWORD nameLength = MAX_PATH;
        if (RegEnumValueW(counts.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            nameLength == 0)
            continue;
        const std::wstring valueName(name, nameLength);
        // Data longer than the buffer does not fit (ERROR_MORE_DATA) and the record is skipped.
        BYTE data[DataSize] = {};
        DWORD dataSize = DataSize;
        if (RegQueryValueExW(counts.get(), valueName.c_str(), nullptr, nullptr, data, &dataSize) != ERROR_SUCCESS)
            continue;
        take(valueName, data);
    }
}

// A record name of the newer layout, decoded and with its known folder substituted; false
// when it begins with the id of a folder that has no path here.
bool decodedRecordName(const std::wstring& valueName, std::wstring& name) {
    name = valueName;
    rot13Decode(name);
    return substituteKnownFolder(name, knownFolderPath);
}

bool isAsciiLetter(wchar_t unit) { return (unit >= L'a' && unit <= L'z') || (unit >= L'A' && unit <= L'Z'); }

}  // namespace

void rot13Decode(std::wstring& text) {
    for (wchar_t& unit : text) {
        if (unit >= L'a' && unit <= L'z')
            unit = static_cast<wchar_t>(L'a' + (unit - L'a' + 13) % 26);
        else if (unit >= L'A' && unit <= L'Z')
            unit = static_cast<wchar_t>(L'A' + (unit - L'A' + 13) % 26);
    }
}

bool usageRecordProgramPath(const std::wstring& valueName, std::wstring& programPath) {
    std::wstring decoded = valueName;
    rot13Decode(decoded);
    decoded = asciiLower(decoded);
    const std::wstring prefix = ProgramRecordPrefix;
    if (decoded.compare(0, prefix.size(), prefix) != 0) return false;
    programPath = decoded.substr(prefix.size());
    return true;
}

HistoryEntry usageRecordEntry(const std::wstring& programPath, const BYTE (&data)[UsageRecordDataSize]) {
    HistoryEntry entry;
    entry.imported = true;
    std::memcpy(&entry.count, data + 4, 4);
    std::memcpy(&entry.lasttimelow, data + 8, 4);
    std::memcpy(&entry.lasttimehigh, data + 12, 4);
    entry.path = programPath;
    return entry;
}

std::wstring knownFolderPath(const std::wstring& folderId) {
    GUID folder{};
    if (folderId.size() != 38 || FAILED(IIDFromString(folderId.c_str(), &folder))) return std::wstring();
    // Not verified: a record names the folder's path whether or not the folder exists now.
    UniqueCoTaskMem path;
    if (FAILED(SHGetKnownFolderPath(folder, KF_FLAG_DONT_VERIFY, nullptr, reinterpret_cast<PWSTR*>(path.put()))) ||
        !path)
        return std::wstring();
    return static_cast<const wchar_t*>(path.get());
}

bool substituteKnownFolder(std::wstring& name, const std::function<std::wstring(const std::wstring&)>& folderPath) {
    if (name.empty() || name[0] != L'{') return true;
    const std::size_t idEnd = name.find(L'}');
    if (idEnd == std::wstring::npos || (idEnd + 1 < name.size() && name[idEnd + 1] != L'\\')) return true;
    const std::wstring path = folderPath(name.substr(0, idEnd + 1));
    if (path.empty()) return false;
    // A drive's root ends in "\" already.
    const std::size_t restStart = path.back() == L'\\' && idEnd + 1 < name.size() ? idEnd + 2 : idEnd + 1;
    name = path + name.substr(restStart);
    return true;
}

bool isFilePath(const std::wstring& name) {
    if (name.size() >= 3 && isAsciiLetter(name[0]) && name[1] == L':' && name[2] == L'\\') return true;
    return name.size() >= 3 && name[0] == L'\\' && name[1] == L'\\' && name[2] != L'\\';
}

bool programRecordKey(const std::wstring& name, std::wstring& key) {
    if (isFilePath(name)) {
        key = asciiLower(name);
        return true;
    }
    if (isPackagedAppId(name)) {
        key = asciiLower(AppsFolderPrefix + name);
        return true;
    }
    return false;
}

HistoryEntry recordEntry(const std::wstring& key, const BYTE (&data)[RecordDataSize]) {
    HistoryEntry entry;
    entry.imported = true;
    std::memcpy(&entry.count, data + RecordRunsOffset, 4);
    std::memcpy(&entry.lasttimelow, data + RecordLastRunLowOffset, 4);
    std::memcpy(&entry.lasttimehigh, data + RecordLastRunHighOffset, 4);
    entry.path = key;
    return entry;
}

void mergeUsageRecord(HistoryEntries& entries, HistoryEntry entry) {
    const auto existing = entries.find(entry.path);
    if (existing != entries.end()) {
        entry.count += existing->second.count;
        if (launchedLaterThan(existing->second, entry)) {
            entry.lasttimelow = existing->second.lasttimelow;
            entry.lasttimehigh = existing->second.lasttimehigh;
        }
    }
    const std::wstring key = entry.path;
    entries[key] = std::move(entry);
}

void importUsageRecords(HistoryEntries& entries) {
    const auto takeOldRecord = [&](const std::wstring& valueName, const BYTE (&data)[UsageRecordDataSize]) {
        std::wstring programPath;
        if (usageRecordProgramPath(valueName, programPath)) mergeUsageRecord(entries, usageRecordEntry(programPath, data));
    };
    forEachRecord<UsageRecordDataSize>(UserAssistKeyPath, UserAssistVersionValue, UserAssistVersion,
                                       UserAssistCountSubkey, takeOldRecord);

    const auto takeProgramRecord = [&](const std::wstring& valueName, const BYTE (&data)[RecordDataSize]) {
        std::wstring name;
        std::wstring key;
        if (decodedRecordName(valueName, name) && programRecordKey(name, key))
            mergeUsageRecord(entries, recordEntry(key, data));
    };
    forEachRecord<RecordDataSize>(ProgramRecordsKeyPath, RecordsVersionValue, RecordsVersion, RecordsCountSubkey,
                                  takeProgramRecord);
}

void importShortcutRecords(HistoryEntries& shortcutRecords) {
    const auto takeShortcutRecord = [&](const std::wstring& valueName, const BYTE (&data)[RecordDataSize]) {
        std::wstring name;
        if (decodedRecordName(valueName, name) && isFilePath(name))
            mergeUsageRecord(shortcutRecords, recordEntry(asciiLower(name), data));
    };
    forEachRecord<RecordDataSize>(ShortcutRecordsKeyPath, RecordsVersionValue, RecordsVersion, RecordsCountSubkey,
                                  takeShortcutRecord);
}

void mergeShortcutRecords(HistoryEntries& entries, const HistoryEntries& shortcutRecords, const ShortcutIndex& index) {
    // Runs on the window thread at every new index: without records the index is not walked,
    // and with them no second map of its paths is built.
    if (shortcutRecords.empty()) return;
    // The index may hold one shortcut under two spellings; the first one stands for both,
    // so that a record counts once.
    std::set<std::wstring> matched;
    for (const auto& [path, shortcut] : index) {
        std::wstring key = asciiLower(path);
        const auto record = shortcutRecords.find(key);
        if (record == shortcutRecords.end() || !matched.insert(std::move(key)).second || shortcut.executable.empty())
            continue;
        HistoryEntry entry = record->second;
        entry.path = asciiLower(shortcut.executable);
        mergeUsageRecord(entries, std::move(entry));
    }
}

}  // namespace kest
