#include "SheetDriver.h"
#include "BandNotification.h"
#include "CSettingDialog.h"
#include "ContextMenuSettings.h"
#include "resource.h"
#include <shlobj.h>
#include <shlwapi.h>
#include <thread>

std::atomic<int> SheetDriver::reloadRequests_{0};

bool waitUntil(const std::function<bool()>& condition, DWORD boundMilliseconds) {
    const ULONGLONG end = GetTickCount64() + boundMilliseconds;
    while (!condition()) {
        if (GetTickCount64() > end) return false;
        Sleep(10);
    }
    return true;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

namespace {

struct WindowSearch {
    const wchar_t* className;
    const wchar_t* caption;
    HWND exclude;
    HWND found;
};

BOOL CALLBACK findThreadWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    if (hwnd == search->exclude || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (wcscmp(name, search->className) != 0) return TRUE;
    if (search->caption) {
        wchar_t caption[128] = {};
        GetWindowTextW(hwnd, caption, 128);
        if (wcscmp(caption, search->caption) != 0) return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

HWND findDialogOfThread(DWORD thread, const wchar_t* caption, HWND exclude) {
    WindowSearch search{L"#32770", caption, exclude, nullptr};
    EnumThreadWindows(thread, findThreadWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND SheetDriver::Sheet::page(int index) const {
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
}

HWND SheetDriver::Sheet::showContextMenuPage() const {
    SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    return page(1);
}

void SheetDriver::Sheet::click(HWND page, int id) const { SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0); }

void SheetDriver::Sheet::clickAsync(HWND page, int id) const {
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

void SheetDriver::Sheet::selectCombo(HWND page, int id, int index) const {
    HWND combo = GetDlgItem(page, id);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

bool SheetDriver::Sheet::answerMessageBox(const wchar_t* caption, int button) const {
    HWND box = nullptr;
    if (!waitUntil([&] { return (box = findDialogOfThread(sheetThread, caption, sheet)) != nullptr; })) return false;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    const bool gone = waitUntil([&] { return !IsWindow(box); });
    sync();
    return gone;
}

bool SheetDriver::Sheet::answerFolderBrowser(const std::wstring& path, bool confirm) const {
    HWND browser = nullptr;
    if (!waitUntil([&] {
            browser = findDialogOfThread(sheetThread, nullptr, sheet);
            return browser != nullptr;
        }))
        return false;
    bool selected = true;
    if (confirm) {
        // The browser may still be filling its tree when it shows (Wine, on a fresh prefix):
        // select until the tree's caret is on the folder.
        HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
        const std::wstring leaf = PathFindFileNameW(path.c_str());
        selected = waitUntil([&] {
            SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
            HTREEITEM caret = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
            wchar_t text[MAX_PATH] = {};
            TVITEMW entry{};
            entry.mask = TVIF_TEXT;
            entry.hItem = caret;
            entry.pszText = text;
            entry.cchTextMax = MAX_PATH;
            return caret && SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&entry)) && leaf == text;
        });
    }
    // A folder the browser cannot select is cancelled rather than confirmed with another.
    PostMessageW(browser, WM_COMMAND, MAKEWPARAM(confirm && selected ? IDOK : IDCANCEL, BN_CLICKED), 0);
    const bool gone = waitUntil([&] { return !IsWindow(browser); });
    sync();
    return gone && selected;
}

void SheetDriver::Sheet::closeWithCloseButton() const {
    PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet, IDOK)));
}

void SheetDriver::Sheet::cancel() const { PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0); }

void SheetDriver::Sheet::sync() const { SendMessageW(sheet, WM_NULL, 0, 0); }

SheetDriver::SheetDriver() { reloadRequests_ = 0; }

SheetDriver::~SheetDriver() {
    if (fakeBand_) DestroyWindow(fakeBand_);
}

LRESULT CALLBACK SheetDriver::fakeBandProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && wParam == kest::ReloadCommandId && lParam == 0) ++reloadRequests_;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void SheetDriver::startFakeBand() { fakeBand_ = createFakeBand(); }

HWND SheetDriver::createFakeBand() {
    WNDCLASSW existing{};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), kest::NotificationWindowClass, &existing)) {
        WNDCLASSW band{};
        band.lpfnWndProc = fakeBandProc;
        band.hInstance = GetModuleHandleW(nullptr);
        band.lpszClassName = kest::NotificationWindowClass;
        RegisterClassW(&band);
    }
    return CreateWindowExW(0, kest::NotificationWindowClass, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool SheetDriver::run(const std::function<void(Sheet&)>& script) {
    CSettingDialog dialog(GetModuleHandleW(nullptr));
    bool found = false;
    const DWORD thread = GetCurrentThreadId();
    std::thread helper([&] {
        Sheet sheet;
        sheet.sheetThread = thread;
        HWND marker = nullptr;
        found = waitUntil([&] { return (marker = FindWindowW(SheetMarkerWindowClass, nullptr)) != nullptr; });
        if (found) {
            sheet.sheet = GetWindow(marker, GW_OWNER);
            waitUntil([&] { return IsWindowVisible(sheet.sheet) != FALSE; });
            sheet.sync();
            script(sheet);
        }
        // Whatever the script did, the sheet must end.
        if (!waitUntil([&] { return FindWindowW(SheetMarkerWindowClass, nullptr) == nullptr; }, 3000)) {
            HWND open = findDialogOfThread(thread, L"Kestrune Settings", nullptr);
            if (open) PostMessageW(open, PSM_PRESSBUTTON, PSBTN_OK, 0);
        }
    });
    dialog.run(nullptr);
    helper.join();
    pumpMessages();
    return found;
}

void SheetTest::SetUp() { SettingsRegistryTest::SetUp(); }

void SheetTest::TearDown() {
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(it->c_str());
    SettingsRegistryTest::TearDown();
}

std::wstring SheetTest::makeFolder(const std::wstring& name) {
    wchar_t desktop[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop);
    std::wstring path = std::wstring(desktop) + L"\\kestconf-test-" + name;
    CreateDirectoryW(path.c_str(), nullptr);
    folders_.push_back(path);
    return path;
}

std::vector<std::wstring> SheetTest::storedList(const wchar_t* path) {
    std::vector<std::wstring> items;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return items;
    for (DWORD index = 0;; ++index) {
        wchar_t name[300] = {};
        DWORD length = 300;
        if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        items.emplace_back(name, length);
    }
    RegCloseKey(key);
    return items;
}

std::vector<std::wstring> SheetTest::listViewItems(HWND page) {
    std::vector<std::wstring> items;
    HWND list = GetDlgItem(page, IDC_SCAN_LOCATIONS);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        wchar_t text[MAX_PATH] = {};
        LVITEMW entry{};
        entry.pszText = text;
        entry.cchTextMax = MAX_PATH;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&entry));
        items.emplace_back(text);
    }
    return items;
}

std::wstring SheetTest::textValue(const wchar_t* name) {
    const RawValue value = readRaw(kest::ContextMenuKeyPath, name);
    if (!value.present || value.type != REG_SZ) return L"<missing>";
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

DWORD SheetTest::dwordValue(const wchar_t* path, const wchar_t* name) {
    const RawValue value = readRaw(path, name);
    if (!value.present || value.type != REG_DWORD || value.data.size() != 4) return 0xDEADBEEF;
    DWORD stored = 0;
    memcpy(&stored, value.data.data(), 4);
    return stored;
}
