#include "BarTestSupport.h"
#include <fstream>
#include "SearchBarSettings.h"
#include "SettingsNames.h"
#include "StringListKey.h"
#include "ComObject.h"
#include "UniqueHandle.h"
#include "kestentry/IndexFile.h"
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace kesttest {

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void pressCtrlShift(HWND edit, WPARAM key, wchar_t character) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(edit, WM_KEYDOWN, VK_CONTROL, 1);
    SendMessageW(edit, WM_KEYDOWN, key, 1);
    SendMessageW(edit, WM_CHAR, character, 1);
    SendMessageW(edit, WM_KEYUP, key, 0xC0000001);
    SendMessageW(edit, WM_KEYUP, VK_CONTROL, 0xC0000001);
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    pumpMessages();
}

bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    return true;
}

bool waitUntilIdle(kest::CSimpleBarDlg& bar, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (bar.busy() || !IsWindowVisible(bar.searchBox().hwnd())) {
        if (GetTickCount() - start > milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    pumpMessages();
    return true;
}

void writeShortcut(const std::wstring& path, const std::wstring& target, const std::wstring& arguments,
                   const std::wstring& workingDirectory, const std::wstring& iconLocation, int iconIndex) {
    kest::ComPtr<IShellLinkW> link;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid()));
    link->SetPath(target.c_str());
    if (!arguments.empty()) link->SetArguments(arguments.c_str());
    if (!workingDirectory.empty()) link->SetWorkingDirectory(workingDirectory.c_str());
    if (!iconLocation.empty()) link->SetIconLocation(iconLocation.c_str(), iconIndex);
    auto file = link.query<IPersistFile>();
    ASSERT_TRUE(file);
    ASSERT_EQ(S_OK, file->Save(path.c_str(), TRUE));
}

void setDword(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kest::SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

size_t inIndexFile(const std::string& text) {
    std::string bytes;
    kest::UniqueFile file(
        CreateFileW(kest::indexFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD read = 0;
    while (file && ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    size_t count = 0;
    for (size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1)) ++count;
    return count;
}

std::wstring tempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name;
    removeTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void removeTree(const std::wstring& path) {
    std::wstring from = path;
    from.push_back(L'\0');  // the list of paths ends with two nulls
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&operation);
}

std::wstring systemFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

ClassesValue::ClassesValue(std::wstring keyPath, const std::wstring& value) : keyPath_(std::move(keyPath)) {
    wchar_t old[1024] = {};
    DWORD size = sizeof(old) - sizeof(wchar_t);
    had_ = RegGetValueW(HKEY_CLASSES_ROOT, keyPath_.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, old, &size) ==
           ERROR_SUCCESS;
    old_ = old;
    set(value);
}

ClassesValue::~ClassesValue() {
    if (had_)
        set(old_);
    else
        RegDeleteTreeW(HKEY_CLASSES_ROOT, keyPath_.c_str());
}

void ClassesValue::set(const std::wstring& value) const {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, keyPath_.c_str(), nullptr, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring recordingCommand(const std::wstring& marker) {
    return L"\"" + systemFile(L"cmd.exe") + L"\" /c echo %1> \"" + marker + L"\"";
}

std::wstring waitForMarker(const std::wstring& marker, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::wifstream file(marker.c_str());
        std::wstring line;
        if (file && std::getline(file, line) && !line.empty()) {
            while (!line.empty() && (line.back() == L' ' || line.back() == L'\r')) line.pop_back();
            return line;
        }
        if (GetTickCount() - start > milliseconds) return std::wstring();
        Sleep(50);
        pumpMessages();
    }
}

void waitForBandThreads(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (kest::LiveObjectCount::value() > 0 && GetTickCount() - start < milliseconds) {
        Sleep(20);
        pumpMessages();
    }
}

void BarFixture::SetUp() {
    SHDeleteKeyW(HKEY_CURRENT_USER, kest::SettingsKeyPath);
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData));
    dataFolder = std::wstring(appData) + L"\\Brindlewood\\Kestrune";
    removeTree(dataFolder);
    SHCreateDirectoryExW(nullptr, dataFolder.c_str(), nullptr);
    startMenu = tempFolder(L"KestBarStartMenu");
    kest::WriteStringListKey(kest::ScanPathsKeyPath, {startMenu});
    // The sources without files only where a test asks for them: the others see their own entries.
    kest::writeIncludeSettingsPages(false);
    kest::writeIncludeSystemCommands(false);
    kest::writeIncludeControlPanel(false);
    // The pointer away from the bar: over the menu button it would take the focus from
    // the box whenever a window change makes the system send a mouse move.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    parent = CreateWindowExW(0, L"STATIC", L"bar host", WS_POPUP | WS_VISIBLE, 0, 0, 400, 30, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(parent);
}

void BarFixture::TearDown() {
    bar.reset();
    if (parent) DestroyWindow(parent);
    pumpMessages();
    // A save the bar left to its worker ends before the next test clears the folder.
    waitForBandThreads();
    removeTree(startMenu);
    removeTree(dataFolder);
    SHDeleteKeyW(HKEY_CURRENT_USER, kest::SettingsKeyPath);
}

void BarFixture::startBar() {
    bar = std::make_unique<kest::CSimpleBarDlg>(&owner);
    ASSERT_TRUE(bar->create(parent));
    ShowWindow(bar->hwnd(), SW_SHOWNORMAL);
    ASSERT_TRUE(waitUntilIdle(*bar));
    SetFocus(editWindow());
    pumpMessages();
}

HWND BarFixture::box() const { return bar->searchBox().hwnd(); }
HWND BarFixture::editWindow() const { return bar->searchBox().editWindow(); }

void BarFixture::type(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c == L'\r' || c == 27 || c == L'\b') {
            const WPARAM key = c == L'\r' ? VK_RETURN : c == 27 ? VK_ESCAPE : VK_BACK;
            SendMessageW(editWindow(), WM_KEYDOWN, key, 1);
            SendMessageW(editWindow(), WM_CHAR, c, 1);
            SendMessageW(editWindow(), WM_KEYUP, key, 0xC0000001);
        } else {
            SendMessageW(editWindow(), WM_CHAR, c, 1);
        }
    }
    pumpMessages();
}

std::vector<std::wstring> BarFixture::items() const {
    std::vector<std::wstring> result;
    const LRESULT count = SendMessageW(box(), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(box(), CB_GETLBTEXTLEN, i, 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(box(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        result.push_back(text);
    }
    return result;
}

int BarFixture::selection() const { return static_cast<int>(SendMessageW(box(), CB_GETCURSEL, 0, 0)); }
bool BarFixture::listOpen() const { return SendMessageW(box(), CB_GETDROPPEDSTATE, 0, 0) != 0; }

std::wstring BarFixture::boxText() const {
    wchar_t text[512] = {};
    GetWindowTextW(editWindow(), text, 512);
    return text;
}

}  // namespace kesttest
