#include <windows.h>
#include "MenuCommands.h"
#include "ContextMenuSettings.h"
#include "resource.h"

namespace kest {

namespace {

const MenuCommand commands[] = {
    {CopyPathNameOffset, L"copypathname", IDS_COPYPATHNAME, IDS_COPYPATHNAME_HELP},
    {CopyShortPathNameOffset, L"copyshortpathname", IDS_COPYSHORTPATHNAME, IDS_COPYSHORTPATHNAME_HELP},
    {OpenInCommandWindowOffset, L"openincmdwnd", IDS_OPENINCMDWND, IDS_OPENINCMDWND_HELP},
    {RunWithArgumentsOffset, L"runwithparams", IDS_RUNWITHPARAMS, IDS_RUNWITHPARAMS_HELP},
};

}  // namespace

const MenuCommand* findMenuCommand(unsigned int offset) noexcept {
    for (const MenuCommand& command : commands)
        if (command.offset == offset) return &command;
    return nullptr;
}

const MenuCommand* findMenuCommandByVerb(const std::wstring& verb) noexcept {
    const std::wstring lowered = lowerAscii(verb);
    for (const MenuCommand& command : commands)
        if (lowered == command.verb) return &command;
    return nullptr;
}

bool isRunFileType(const std::wstring& lowerCasedTypes, const std::wstring& path) {
    // The extension of the file's own name: a dot in a folder name does not count, and a
    // name ending in a dot has no extension to match.
    const size_t dot = path.rfind(L'.');
    const size_t separator = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) return false;
    const std::wstring extension = lowerAscii(path.substr(dot + 1));
    if (extension.empty()) return false;
    const size_t found = lowerCasedTypes.find(extension);
    if (found == std::wstring::npos) return false;
    if (found > 0) {
        const wchar_t before = lowerCasedTypes[found - 1];
        if (before != L',' && before != L' ') return false;
    }
    const size_t end = found + extension.size();
    return end == lowerCasedTypes.size() || lowerCasedTypes[end] == L',';
}

HRESULT hresultFromError(long error) noexcept {
    if (error <= 0) return static_cast<HRESULT>(error);
    return static_cast<HRESULT>(0x80070000u | (static_cast<unsigned long>(error) & 0xFFFFu));
}

}  // namespace kest
