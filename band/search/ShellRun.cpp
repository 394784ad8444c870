#include "ShellRun.h"
#include "ModuleFolder.h"
#include <shellapi.h>
#include <cwchar>

namespace kest {

bool shellRun(const std::wstring& file, const wchar_t* parameters, const wchar_t* directory, int showCommand,
              const wchar_t* verb) {
    // No file is named by more than MAX_PATH characters, and no command line is longer than
    // 32767: such a request cannot succeed, and the shell's own copying of it into fixed
    // buffers is not to be trusted (on Wine it ends the process).
    constexpr size_t longestCommandLine = 32767;
    if (file.size() >= MAX_PATH || (directory && wcslen(directory) >= MAX_PATH) ||
        (parameters && wcslen(parameters) >= longestCommandLine - file.size()))
        return false;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, verb, file.c_str(), parameters, directory, showCommand));
    return result > 32;
}

void openBesideModule(const wchar_t* fileName) {
    const std::wstring folder = bandModuleFolder();
    if (folder.empty()) return;
    const std::wstring file = folder + fileName;
    ShellExecuteW(nullptr, nullptr, file.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

}  // namespace kest
