#pragma once
// kestfloat.exe as a process of its own, its windows found as another program finds them,
// and a Start Menu of real shortcut files for its band to index.
#include "ComPtr.h"
#include "UniqueHandle.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace kest::test {

// A file of the output folder as a Windows path (Wine maps the Unix root to drive Z:).
std::wstring outputFile(const wchar_t* name);
std::wstring systemFile(const wchar_t* name);
void pumpMessages();
// Pumps this thread's messages until condition holds; false after the time limit.
bool waitFor(const std::function<bool()>& condition, DWORD milliseconds = 30000);

class FloatBarProcess {
public:
    static constexpr DWORD TimedOut = 0xFFFFFFFEu;

    FloatBarProcess() = default;
    FloatBarProcess(const FloatBarProcess&) = delete;
    FloatBarProcess& operator=(const FloatBarProcess&) = delete;
    // A process still running is asked to exit, then ended.
    ~FloatBarProcess();

    bool start();
    bool running() const;
    DWORD id() const noexcept { return id_; }
    // The exit code, or TimedOut.
    DWORD waitForExit(DWORD milliseconds = 60000);

private:
    UniqueKernelHandle process_;
    DWORD id_ = 0;
};

// The floating bar's window, shown or not; null when none runs.
HWND findFloatBar();
// Every top-level window of the floating bar's class.
std::vector<HWND> floatBarWindows();
// The first window of the class below parent, depth first.
HWND findDescendant(HWND parent, const wchar_t* className);

// The band's windows inside the floating bar.
struct BandWindows {
    HWND strip = nullptr;
    HWND band = nullptr;  // the desk band's window, a child of the strip
    HWND bar = nullptr;   // the search bar, a child of the band window
    HWND box = nullptr;   // the search box
    HWND edit = nullptr;  // its edit field
};
// Waits until the strip is shown and the band has finished its first load (the search box
// is visible again).
bool waitForLoadedBar(BandWindows& windows, DWORD milliseconds = 60000);
// WM_CHAR for each character, as the keyboard would give them.
void typeInto(HWND edit, const std::wstring& text);
std::vector<std::wstring> listItems(HWND box);
RECT windowRect(HWND window);
// The window with the keyboard focus on the thread of window, which may be another process's.
HWND focusedWindow(HWND window);

void writeShortcut(const std::wstring& path, const std::wstring& target, const std::wstring& arguments = L"");
std::wstring tempFolder(const wchar_t* name);
void removeTree(const std::wstring& path);
void setSettingDword(const wchar_t* name, DWORD value);
bool settingDword(const wchar_t* name, DWORD& value);

}  // namespace kest::test
