#pragma once
// Shared by the extension's tests: the built kestshx.dll loaded through its exports, real
// files and folders with a shell data object over them, menus read back, and a helper thread
// that answers the extension's message boxes and dialog.
#include "ComPtr.h"
#include "UniqueHandle.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kesttest {

// {B65F196D-E650-466A-9B02-AB02B0DD2A87}
constexpr CLSID HandlerClassId = {0xB65F196D, 0xE650, 0x466A, {0x9B, 0x02, 0xAB, 0x02, 0xB0, 0xDD, 0x2A, 0x87}};
constexpr const wchar_t* HandlerClassIdText = L"{B65F196D-E650-466A-9B02-AB02B0DD2A87}";
constexpr const wchar_t* SettingsKey = L"Software\\Brindlewood\\Kestrune\\KESTSHX";
constexpr const wchar_t* HistoryKey = L"Software\\Brindlewood\\Kestrune\\KESTSHX\\Run Param History";

// The module under test, loaded once for the whole run from the deliverables' folder.
struct Module {
    HMODULE handle = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;
    HRESULT(STDAPICALLTYPE* registerServer)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregisterServer)() = nullptr;
    std::wstring path;
};
const Module& kestshx();

// A new handler from the module's class factory, asked for IContextMenu.
kest::ComPtr<IContextMenu> createHandler();

// A folder of its own under the temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name, const std::string& content = "x") const;
    std::wstring folder(const std::wstring& name) const;

private:
    std::wstring path_;
};

// The shell's own data object (with CF_HDROP) for items of one folder, in the given order.
kest::ComPtr<IDataObject> shellDataObject(const std::vector<std::wstring>& paths);
// A data object that hands out CF_HDROP for the given paths as they are, existing or not.
kest::ComPtr<IDataObject> dropDataObject(const std::vector<std::wstring>& paths);

// One line per menu item: "-" for a separator, otherwise "text #id".
std::vector<std::wstring> menuLines(HMENU menu);

std::wstring readClipboardText();
void setClipboardText(const std::wstring& text);

void setDword(const wchar_t* key, const wchar_t* name, DWORD value);
void setString(const wchar_t* key, const wchar_t* name, const std::wstring& value);
// The raw bytes of a value; present false when it is missing.
struct RawValue {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};
RawValue readRaw(HKEY root, const wchar_t* key, const wchar_t* name);
bool keyExists(HKEY root, const wchar_t* key);

// The system's text for a Win32 error, as the extension's messages show it.
std::wstring systemErrorText(DWORD error);

// Waits on its own thread for a top-level dialog window with the caption and runs the
// action on it once. The action runs on the helper thread; it talks to the window by messages.
class WindowAnswerer {
public:
    using Action = std::function<void(HWND)>;
    WindowAnswerer(std::wstring caption, Action action);
    ~WindowAnswerer();
    bool answered() const { return answered_; }

private:
    std::wstring caption_;
    Action action_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> answered_{false};
    std::thread thread_;
};

// Answers the extension's message box ("KESTSHX") with OK, keeping the text it showed.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer();
    bool shown() const { return answerer_.answered(); }
    std::wstring text() const;

private:
    mutable std::mutex lock_;
    std::wstring text_;
    WindowAnswerer answerer_;
};

// The texts of a window's static controls, joined by line feeds.
std::wstring staticTexts(HWND window);
std::wstring windowText(HWND window);

class ExtensionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets the four show flags; the strings are left as they are.
    void setFlags(bool run, bool console, bool copyPath, bool copyShort);
    // A handler initialised with the shell's data object for the paths.
    kest::ComPtr<IContextMenu> handlerFor(const std::vector<std::wstring>& paths);
    // QueryContextMenu on a menu already holding one item; the lines after that item.
    std::vector<std::wstring> menuFor(IContextMenu* handler, UINT flags = CMF_NORMAL, UINT first = 100,
                                      UINT last = 200, HRESULT* result = nullptr);
    HRESULT invokeOffset(IContextMenu* handler, UINT offset);
    HRESULT invokeVerb(IContextMenu* handler, const char* verb);

    kest::ComInitialization com_;
    TemporaryFolder temp_;
};

}  // namespace kesttest
