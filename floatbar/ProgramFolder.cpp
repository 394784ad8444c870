#include "ProgramFolder.h"
#include <windows.h>

namespace kest {

std::wstring programFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring folder(path, length);
    const size_t slash = folder.rfind(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    folder.resize(slash + 1);
    return folder;
}

}  // namespace kest
