#pragma once
// The handler's four commands and the plain rules around them.
#include <windows.h>
#include <optional>
#include <string>

namespace kest {

struct MenuCommand {
    unsigned int offset;   // from the first command id the shell grants
    const wchar_t* verb;   // canonical verb, matched without regard to ASCII case
    unsigned int textId;   // menu text in the string table
    unsigned int helpId;   // help text in the string table
};

constexpr unsigned int CopyPathNameOffset = 0;
constexpr unsigned int CopyShortPathNameOffset = 1;
constexpr unsigned int OpenInCommandWindowOffset = 2;
constexpr unsigned int RunWithArgumentsOffset = 3;
// One more than the highest offset: what QueryContextMenu reports.
constexpr unsigned int MenuCommandCount = 4;

// The entry for offset, or null when there is none.
const MenuCommand* findMenuCommand(unsigned int offset) noexcept;
// The entry whose verb equals verb ignoring ASCII case, or null.
const MenuCommand* findMenuCommandByVerb(const std::wstring& verb) noexcept;

// Whether path's extension (after its last '.', ASCII case ignored) is in the lower-cased
// type list: its first occurrence must start the list or follow ',' or ' ', and be followed by
// ',' or the end of the list. Later occurrences are not examined.
bool isRunFileType(const std::wstring& lowerCasedTypes, const std::wstring& path);

// The caller's last Win32 error as an HRESULT: positive codes become 0x8007xxxx with their
// low 16 bits, 0 or below are taken unchanged.
HRESULT hresultFromError(long error) noexcept;

}  // namespace kest
