#pragma once
// The context-menu extension's settings in the registry, HKEY_CURRENT_USER
// "Software\Brindlewood\Kestrune\KESTSHX". Every operation opens the key (creating it
// empty when missing), reads or writes one value and closes the key; nothing is cached.
//
// Two sets of operations share the schema:
// - the extension's readers never write a value: a missing value reads as its default;
// - the settings program's loaders write the default back when a value is missing, and
//   its storers write a value as the user sets it.
#include <windows.h>
#include <optional>
#include <string>

namespace kest {

constexpr const wchar_t* ContextMenuKeyPath = L"Software\\Brindlewood\\Kestrune\\KESTSHX";
constexpr const wchar_t* RunParamHistoryKeyPath = L"Software\\Brindlewood\\Kestrune\\KESTSHX\\Run Param History";

namespace ContextMenuSettingName {
constexpr const wchar_t* ShowCopyPathName = L"Show CopyPathName MenuItem";
constexpr const wchar_t* ShowCopyShortPathName = L"Show CopyShortPathName MenuItem";
constexpr const wchar_t* ShowOpenInCommandWindow = L"Show OpenInCMDWindow MenuItem";
constexpr const wchar_t* ShowRun = L"Show Run MenuItem";
constexpr const wchar_t* RunFileTypes = L"Add Run MenuItem To";
constexpr const wchar_t* CommandWindowApplication = L"Application For Command Window";
}  // namespace ContextMenuSettingName

constexpr const wchar_t* DefaultRunFileTypes = L"exe, com, bat";

// The extension's string values live in 260-unit buffers: at most 259 characters.
constexpr size_t ContextMenuTextLimit = 259;
// The settings program reads the file-type list through a 4096-byte buffer.
constexpr size_t RunFileTypesPageLimit = 2047;

// The six values of the extension, as the settings program holds them.
struct ContextMenuSettings {
    bool showOpenInCommandWindow = true;
    bool showCopyPathName = true;
    bool showCopyShortPathName = true;
    bool showRun = true;
    std::wstring runFileTypes = DefaultRunFileTypes;
    std::wstring commandWindowApplication;
};

// "cmd.exe" on the Windows NT family, "command.com" when GetVersion has its top bit set.
std::wstring defaultCommandWindowApplication();

// Folds only the ASCII letters A to Z.
std::wstring lowerAscii(std::wstring text);

// --- The extension's readers (never write a value) ---

// The stored 32-bit value as a flag; true when the value is missing or unreadable;
// false when the key cannot be opened.
bool readShowFlag(const wchar_t* name);
// "Add Run MenuItem To" lower-cased in ASCII; the default when the value is missing,
// unreadable or longer than 259 characters; nothing when the key cannot be opened.
std::optional<std::wstring> readRunFileTypes();
// "Application For Command Window"; the default when missing, unreadable or longer than
// 259 characters; nothing when the key cannot be opened.
std::optional<std::wstring> readCommandWindowApplication();

// --- The settings program's operations ---

// Presets 1 and queries 4 bytes; a failed query writes the 1 back as REG_DWORD. False when
// the key cannot be created or the write-back fails, otherwise whether the value is non-zero.
bool loadShowFlag(const wchar_t* name);
// Presets the default and queries the value (at most maxCharacters characters); a failed
// query writes the default back as REG_SZ. The text is returned as stored (no case folding).
std::wstring loadText(const wchar_t* name, const std::wstring& fallback, size_t maxCharacters);
// The four flags in the order "Show OpenInCMDWindow MenuItem", "Show CopyPathName
// MenuItem", "Show CopyShortPathName MenuItem", "Show Run MenuItem", then the file types
// (at most 2047 characters) and the console program (at most 259).
ContextMenuSettings loadContextMenuSettings();
// REG_DWORD 0 or 1. Returns the registry error code.
LONG storeShowFlag(const wchar_t* name, bool value);
// REG_SZ including the terminating zero. Returns the registry error code.
LONG storeText(const wchar_t* name, const std::wstring& value);

}  // namespace kest
