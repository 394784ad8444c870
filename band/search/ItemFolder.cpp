#include "ItemFolder.h"
#include "ShellRun.h"
#include "SystemSounds.h"
#include "kestentry/EntryForms.h"
#include <windows.h>

namespace kest {

std::wstring explorerSelectParameters(const std::wstring& path) { return L"/select,\"" + path + L"\""; }

bool openItemFolder(const std::wstring& item) {
    if (item.empty() || entryFormOf(item) != EntryForm::File || GetFileAttributesW(item.c_str()) == INVALID_FILE_ATTRIBUTES) {
        playSystemSound(SystemSound::Hand);
        return false;
    }
    return shellRun(L"explorer.exe", explorerSelectParameters(item).c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace kest
