#pragma once
// The import of the shell's own usage records (the UserAssist values) into the launch
// history. The records are only read, never written. Two layouts exist: the old one of a
// single key with "ueme_runpath:" names and 16 data bytes, and the one of Windows 7 and
// later, a key per kind of record with names that are paths, often beginning with a known
// folder's id, and 72 data bytes.
#include "HistoryEntry.h"
#include "kestentry/ShortcutEntry.h"
#include <windows.h>
#include <functional>
#include <string>

namespace kest {

constexpr const wchar_t* UserAssistKeyPath =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}";
constexpr const wchar_t* UserAssistCountSubkey = L"count";
constexpr const wchar_t* UserAssistVersionValue = L"version";
constexpr DWORD UserAssistVersion = 3;
constexpr const wchar_t* ProgramRecordPrefix = L"ueme_runpath:";
constexpr DWORD UsageRecordDataSize = 16;

// The layout of Windows 7 and later: programs (paths and packaged apps) and shortcuts.
constexpr const wchar_t* ProgramRecordsKeyPath =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}";
constexpr const wchar_t* ShortcutRecordsKeyPath =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{F4E57C4B-2036-45F0-A9AB-443BCFE33D9F}";
constexpr const wchar_t* RecordsCountSubkey = L"Count";
constexpr const wchar_t* RecordsVersionValue = L"Version";
constexpr DWORD RecordsVersion = 5;
// 72 bytes, little-endian: runs at offset 4, last run time low half at 60, high half at 64.
constexpr DWORD RecordDataSize = 72;
constexpr DWORD RecordRunsOffset = 4;
constexpr DWORD RecordLastRunLowOffset = 60;
constexpr DWORD RecordLastRunHighOffset = 64;

// Rotates every ASCII letter of text by 13 places within its case; other units stay.
void rot13Decode(std::wstring& text);

// The program path that a record's (still rotated) value name stands for, decoded and
// lower-cased; false for records of other kinds.
bool usageRecordProgramPath(const std::wstring& valueName, std::wstring& programPath);

// The imported entry of one program record, from its 16 data bytes (little-endian: runs at
// offset 4, last run time low half at 8, high half at 12).
HistoryEntry usageRecordEntry(const std::wstring& programPath, const BYTE (&data)[UsageRecordDataSize]);

// The path of a known folder given as its id in braces; empty when the id is malformed or
// names no folder with a path.
std::wstring knownFolderPath(const std::wstring& folderId);

// Replaces a known folder's id in braces at the start of name (followed by "\" or nothing)
// with the path folderPath gives for it. False when folderPath gives no path for the id;
// a name without a leading id is left as it is.
bool substituteKnownFolder(std::wstring& name, const std::function<std::wstring(const std::wstring&)>& folderPath);

// A drive path ("c:\...") or a UNC path ("\\server\...").
bool isFilePath(const std::wstring& name);

// The history key a program record's name (decoded, its known folder substituted) counts
// under: the lower-cased path, or the lower-cased item of a packaged app in the apps folder.
// False for records that name neither.
bool programRecordKey(const std::wstring& name, std::wstring& key);

// The imported entry of one record of the newer layout, from its 72 data bytes.
HistoryEntry recordEntry(const std::wstring& key, const BYTE (&data)[RecordDataSize]);

// Stores entry under its path: the count of an entry already there is added (wrapping at
// 32 bits) and the later of the two times kept; the result stays marked imported.
void mergeUsageRecord(HistoryEntries& entries, HistoryEntry entry);

// Merges every program record of the current user into entries: the old layout's
// "ueme_runpath:" records and the newer layout's program records. Silent: a key that cannot
// be opened ends its part of the import, a value that cannot be read is skipped.
void importUsageRecords(HistoryEntries& entries);

// Reads the newer layout's shortcut records into shortcutRecords, each keyed by the
// lower-cased path of its shortcut file, to be matched against the index later.
void importShortcutRecords(HistoryEntries& shortcutRecords);

// Merges each shortcut record whose shortcut the index holds (paths compared without regard
// to case) into entries under the lower-cased executable of that index entry.
void mergeShortcutRecords(HistoryEntries& entries, const HistoryEntries& shortcutRecords, const ShortcutIndex& index);

}  // namespace kest
