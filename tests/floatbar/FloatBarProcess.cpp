#include "FloatBarProcess.h"
#include "FloatBarIdentity.h"
#include "SettingsNames.h"
#include <shellapi.h>
#include <shlobj.h>

namespace kest::test {

std::wstring outputFile(const wchar_t* name) {
    const std::string folder = KEST_OUTPUT_DIR;
    std::wstring path = L"Z:";
    for (char c : folder) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path + L"\\" + name;
}

std::wstring systemFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = L"";
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool waitFor(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    return true;
}

FloatBarProcess::~FloatBarProcess() {
    if (!running()) return;
    for (HWND window : floatBarWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == id_) PostMessageW(window, WM_COMMAND, ExitCommandId, 0);
    }
    if (waitForExit(20000) == TimedOut) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 10000);
    }
}

bool FloatBarProcess::start() {
    std::wstring line = L"\"" + outputFile(L"kestfloat.exe") + L"\"";
    line.push_back(L'\0');
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    process_.reset(process.hProcess);
    id_ = process.dwProcessId;
    return true;
}

bool FloatBarProcess::running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

DWORD FloatBarProcess::waitForExit(DWORD milliseconds) {
    if (!process_) return TimedOut;
    HANDLE process = process_.get();
    if (!waitFor([process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, milliseconds))
        return TimedOut;
    DWORD code = TimedOut;
    GetExitCodeProcess(process, &code);
    return code;
}

namespace {

BOOL CALLBACK collectFloatBar(HWND window, LPARAM list) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (lstrcmpW(name, FloatBarWindowClass) == 0) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

struct DescendantSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK matchDescendant(HWND window, LPARAM search) {
    auto* state = reinterpret_cast<DescendantSearch*>(search);
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, state->className) == 0) {
        state->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND findFloatBar() { return FindWindowW(FloatBarWindowClass, nullptr); }

std::vector<HWND> floatBarWindows() {
    std::vector<HWND> windows;
    EnumWindows(collectFloatBar, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND findDescendant(HWND parent, const wchar_t* className) {
    DescendantSearch search{className, nullptr};
    EnumChildWindows(parent, matchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool waitForLoadedBar(BandWindows& windows, DWORD milliseconds) {
    return waitFor(
        [&windows] {
            windows = BandWindows{};
            windows.strip = findFloatBar();
            if (!windows.strip || !IsWindowVisible(windows.strip)) return false;
            windows.band = GetWindow(windows.strip, GW_CHILD);
            windows.bar = windows.band ? GetWindow(windows.band, GW_CHILD) : nullptr;
            windows.box = windows.bar ? findDescendant(windows.bar, L"ComboBox") : nullptr;
            windows.edit = windows.box ? GetWindow(windows.box, GW_CHILD) : nullptr;
            return windows.edit && IsWindowVisible(windows.box);
        },
        milliseconds);
}

void typeInto(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

std::vector<std::wstring> listItems(HWND box) {
    // The bar's process refills its list while this one reads it, so an item may have grown
    // between asking its length and its text: the text goes to a buffer no item text can outgrow.
    std::vector<std::wstring> items;
    std::vector<wchar_t> buffer(32768);
    const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, i, 0);
        if (length < 0 || static_cast<size_t>(length) >= buffer.size()) continue;
        const LRESULT copied = SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        if (copied < 0 || static_cast<size_t>(copied) >= buffer.size()) continue;
        items.emplace_back(buffer.data(), static_cast<size_t>(copied));
    }
    return items;
}

RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

HWND focusedWindow(HWND window) {
    GUITHREADINFO info{sizeof(info)};
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void writeShortcut(const std::wstring& path, const std::wstring& target, const std::wstring& arguments) {
    ComPtr<IShellLinkW> link;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid()));
    link->SetPath(target.c_str());
    if (!arguments.empty()) link->SetArguments(arguments.c_str());
    auto file = link.query<IPersistFile>();
    ASSERT_TRUE(file);
    ASSERT_EQ(S_OK, file->Save(path.c_str(), TRUE));
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

void setSettingDword(const wchar_t* name, DWORD value) {
    UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)));
}

bool settingDword(const wchar_t* name, DWORD& value) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof(value);
    return RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

}  // namespace kest::test
