#include "HelpTopic.h"
#include "UniqueHandle.h"
#include <windows.h>
#include <string>

namespace kest {

namespace {

constexpr UINT HH_DISPLAY_TOPIC_COMMAND = 0x0000;
constexpr UINT HH_CLOSE_ALL_COMMAND = 0x0012;
using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data);

// The HTML Help control, bound on first use. Its help windows run on its code: they are
// closed before the control is unloaded, at the latest when the program's statics go.
class HtmlHelpControl {
public:
    HtmlHelpControl() = default;
    HtmlHelpControl(const HtmlHelpControl&) = delete;
    HtmlHelpControl& operator=(const HtmlHelpControl&) = delete;
    ~HtmlHelpControl() { unload(); }

    HtmlHelpFunction function() {
        if (!tried_) bind();
        return function_;
    }
    void unload() noexcept {
        if (function_) function_(nullptr, nullptr, HH_CLOSE_ALL_COMMAND, 0);
        function_ = nullptr;
        module_.reset();
        tried_ = false;
    }

private:
    // Only the system folder's copy: a control of the same name beside the program or in the
    // current folder is never loaded.
    void bind() {
        tried_ = true;
        wchar_t folder[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        std::wstring path(folder, length);
        path += L"\\hhctrl.ocx";
        module_.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        if (!module_) return;
        function_ = reinterpret_cast<HtmlHelpFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_.get(), "HtmlHelpW")));
    }

    UniqueHModule module_;
    HtmlHelpFunction function_ = nullptr;
    bool tried_ = false;
};

HtmlHelpControl& htmlHelpControl() {
    static HtmlHelpControl control;
    return control;
}

}  // namespace

bool ShowHelpTopic(const wchar_t* topic) {
    HtmlHelpFunction htmlHelp = htmlHelpControl().function();
    if (!htmlHelp) return false;
    return htmlHelp(GetDesktopWindow(), topic, HH_DISPLAY_TOPIC_COMMAND, 0) != nullptr;
}

void CloseHelpWindows() noexcept { htmlHelpControl().unload(); }

}  // namespace kest
