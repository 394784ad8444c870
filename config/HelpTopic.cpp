#include "HelpTopic.h"
#include "UniqueHandle.h"
#include <windows.h>
#include <string>

namespace kest {

namespace {

constexpr UINT HH_DISPLAY_TOPIC_COMMAND = 0x0000;
using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data);

// Only the system folder's copy: a control of the same name beside the program or in the
// current folder is never loaded.
HtmlHelpFunction bindHtmlHelp() {
    static UniqueHModule control;
    static HtmlHelpFunction function = nullptr;
    static bool tried = false;
    if (tried) return function;
    tried = true;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    path += L"\\hhctrl.ocx";
    control.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!control) return nullptr;
    function = reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void*>(GetProcAddress(control.get(), "HtmlHelpW")));
    return function;
}

}  // namespace

bool ShowHelpTopic(const wchar_t* topic) {
    HtmlHelpFunction htmlHelp = bindHtmlHelp();
    if (!htmlHelp) return false;
    return htmlHelp(GetDesktopWindow(), topic, HH_DISPLAY_TOPIC_COMMAND, 0) != nullptr;
}

}  // namespace kest
