#include "ModuleFolder.h"
#include <shellapi.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace kest {

HINSTANCE bandModule() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::wstring bandModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(bandModule(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring folder(path, length);
    folder.resize(folder.rfind(L'\\') + 1);
    return folder;
}

void OpenHelp() {
    const std::wstring folder = bandModuleFolder();
    if (folder.empty()) return;
    const std::wstring file = folder + L"kesthelp.chm";
    ShellExecuteW(nullptr, nullptr, file.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

}  // namespace kest
