#pragma once
// A clean history folder and UserAssist key for every test, the file layout the band
// writes, and raw access to the file and the shell's records.
#include "history/HistoryMap.h"
#include "ComPtr.h"
#include "UniqueHandle.h"
#include "DocumentReplaceSave.h"
#include "history/UsageRecordImport.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace historytest {

// One entry as the test writes it into a history file.
struct FileEntry {
    std::wstring path;
    std::wstring count;
    std::wstring high;
    std::wstring low;
};

// The bytes of a history file in the band's layout, as Wine's msxml3 serialises it: UTF-8
// without a byte-order mark, the declaration with its data as given, LF line ends.
inline std::string historyFileBytes(const std::vector<FileEntry>& entries) {
    std::wstring text = L"<?xml version='1.0'?>\n<!--Kestrune History Mapdata XML file.-->\n"
                        L"<root created=\"using DOM from MSXML 2.6\">";
    for (const FileEntry& entry : entries)
        text += L"\n\t<KESTRUNEHISTORYENTRY>\n\t\t<path>" + entry.path + L"</path><count>" + entry.count +
                L"</count><lasttimehigh>" + entry.high + L"</lasttimehigh><lasttimelow>" + entry.low +
                L"</lasttimelow>\n\t</KESTRUNEHISTORYENTRY>";
    text += L"\n</root>\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

inline std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

inline std::wstring appDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

inline std::wstring historyFolder() { return appDataFolder() + L"\\Brindlewood\\Kestrune"; }
inline std::wstring historyFile() { return historyFolder() + L"\\historymapdata.xml"; }

inline bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void writeBytes(const std::wstring& path, const std::string& bytes) {
    kest::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot create the file";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(bytes.size(), written);
}

inline std::string readBytes(const std::wstring& path) {
    kest::UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

// Opens the DACL of a key so that the test can always remove it again.
inline void grantFullAccess(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);  // a null DACL grants everything
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
}

inline std::wstring countKeyPath() { return std::wstring(kest::UserAssistKeyPath) + L"\\count"; }

// The count keys of the layout of Windows 7 and later.
inline std::wstring programRecordsPath() { return std::wstring(kest::ProgramRecordsKeyPath) + L"\\Count"; }
inline std::wstring shortcutRecordsPath() { return std::wstring(kest::ShortcutRecordsKeyPath) + L"\\Count"; }

inline void removeUserAssist() {
    const std::wstring countPath = countKeyPath();
    grantFullAccess(countPath.c_str());
    grantFullAccess(kest::UserAssistKeyPath);
    SHDeleteKeyW(HKEY_CURRENT_USER, kest::UserAssistKeyPath);
    SHDeleteKeyW(HKEY_CURRENT_USER, kest::ProgramRecordsKeyPath);
    SHDeleteKeyW(HKEY_CURRENT_USER, kest::ShortcutRecordsKeyPath);
}

inline void setRawValue(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(key);
}

inline void setUserAssistVersion(DWORD version) {
    setRawValue(kest::UserAssistKeyPath, L"version", REG_DWORD, &version, sizeof(version));
}

// The 16 bytes the shell stores for a record: 4 unused, runs, FILETIME low, FILETIME high.
inline std::vector<BYTE> recordData(std::uint32_t unused, std::uint32_t runs, std::uint32_t low, std::uint32_t high) {
    std::vector<BYTE> data(16);
    memcpy(&data[0], &unused, 4);
    memcpy(&data[4], &runs, 4);
    memcpy(&data[8], &low, 4);
    memcpy(&data[12], &high, 4);
    return data;
}

// Writes one record under its rotated value name, as the shell stores it.
inline void setUsageRecord(const std::wstring& rotatedName, const std::vector<BYTE>& data) {
    setRawValue(countKeyPath(), rotatedName.c_str(), REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

// The 72 bytes of a record of the newer layout: runs at offset 4, FILETIME low at 60 and
// high at 64, every other byte 0xee.
inline std::vector<BYTE> recordData72(std::uint32_t runs, std::uint32_t low, std::uint32_t high) {
    std::vector<BYTE> data(72, 0xee);
    memcpy(&data[4], &runs, 4);
    memcpy(&data[60], &low, 4);
    memcpy(&data[64], &high, 4);
    return data;
}

// Writes one record of the newer layout under countPath, its name rotated as the shell does.
inline void setRecord(const std::wstring& countPath, std::wstring name, const std::vector<BYTE>& data) {
    kest::rot13Decode(name);
    setRawValue(countPath, name.c_str(), REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

inline void setRecordsVersion(const wchar_t* keyPath, DWORD version) {
    setRawValue(keyPath, L"Version", REG_DWORD, &version, sizeof(version));
}

inline std::uint64_t fileTimeValue(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline std::uint64_t entryTimeValue(const kest::HistoryEntry& entry) {
    return (static_cast<std::uint64_t>(entry.lasttimehigh) << 32) | entry.lasttimelow;
}

// The history folder exists and holds no history file; no UserAssist records exist.
class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHCreateDirectoryExW(nullptr, historyFolder().c_str(), nullptr);
        DeleteFileW(historyFile().c_str());
        removeUserAssist();
    }
    void TearDown() override {
        DeleteFileW(historyFile().c_str());
        removeUserAssist();
    }

    static void writeHistory(const std::vector<FileEntry>& entries) { writeBytes(historyFile(), historyFileBytes(entries)); }
    static void writeHistoryText(const std::wstring& text) { writeBytes(historyFile(), utf8(text)); }
    static std::string savedHistory() { return readBytes(historyFile()); }

    kest::ComInitialization com;
};

}  // namespace historytest
