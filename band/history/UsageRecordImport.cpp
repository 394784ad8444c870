#include "search/TextRules.h"
#include "UsageRecordImport.h"
#include "UniqueHandle.h"
#include <cstring>

namespace kest {

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
    // Read access only: the records belong to the shell.
    UniqueHKey userAssist;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, UserAssistKeyPath, 0, KEY_READ, userAssist.put()) != ERROR_SUCCESS) return;

    DWORD version = 0;
    DWORD versionSize = sizeof(version);
    if (RegQueryValueExW(userAssist.get(), UserAssistVersionValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&version),
                         &versionSize) == ERROR_SUCCESS &&
        version != UserAssistVersion)
        return;

    UniqueHKey counts;
    if (RegOpenKeyExW(userAssist.get(), UserAssistCountSubkey, 0, KEY_READ, counts.put()) != ERROR_SUCCESS) return;

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
        // Data longer than the buffer does not fit and the record is skipped; shorter data
        // leaves the missing fields 0.
        BYTE data[UsageRecordDataSize] = {};
        DWORD dataSize = UsageRecordDataSize;
        if (RegQueryValueExW(counts.get(), valueName.c_str(), nullptr, nullptr, data, &dataSize) != ERROR_SUCCESS)
            continue;
        std::wstring programPath;
        if (usageRecordProgramPath(valueName, programPath)) mergeUsageRecord(entries, usageRecordEntry(programPath, data));
    }
}

}  // namespace kest
