#pragma once
// The import of the shell's own usage records (the UserAssist values) into the launch
// history. The records are only read, never written.
#include "HistoryEntry.h"
#include <windows.h>
#include <string>

namespace kest {

constexpr const wchar_t* UserAssistKeyPath =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}";
constexpr const wchar_t* UserAssistCountSubkey = L"count";
constexpr const wchar_t* UserAssistVersionValue = L"version";
constexpr DWORD UserAssistVersion = 3;
constexpr const wchar_t* ProgramRecordPrefix = L"ueme_runpath:";
constexpr DWORD UsageRecordDataSize = 16;

// Rotates every ASCII letter of text by 13 places within its case; other units stay.
void rot13Decode(std::wstring& text);

// The program path that a record's (still rotated) value name stands for, decoded and
// lower-cased; false for records of other kinds.
bool usageRecordProgramPath(const std::wstring& valueName, std::wstring& programPath);

// The imported entry of one program record, from its 16 data bytes (little-endian: runs at
// offset 4, last run time low half at 8, high half at 12).
HistoryEntry usageRecordEntry(const std::wstring& programPath, const BYTE (&data)[UsageRecordDataSize]);

// Stores entry under its path: the count of an entry already there is added (wrapping at
// 32 bits) and the later of the two times kept; the result stays marked imported.
void mergeUsageRecord(HistoryEntries& entries, HistoryEntry entry);

// Merges every program record of the current user's UserAssist key into entries. Silent:
// a key that cannot be opened ends the import, a value that cannot be read is skipped.
void importUsageRecords(HistoryEntries& entries);

}  // namespace kest
