#include "ItemFolder.h"
#include "ShellRun.h"
#include "SystemSounds.h"
#include "kestentry/PackagedApps.h"
#include <windows.h>

namespace kest {

std::wstring explorerSelectParameters(const std::wstring& path) { return L"/select,\"" + path + L"\""; }

bool openItemFolder(const std::wstring& item) {
    if (item.empty() || isAppsFolderPath(item) || GetFileAttributesW(item.c_str()) == INVALID_FILE_ATTRIBUTES) {
        playSystemSound(SystemSound::Hand);
        return false;
    }
    return shellRun(L"explorer.exe", explorerSelectParameters(item).c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace kest
