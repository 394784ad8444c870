#include "Window.h"
#include <commctrl.h>
#include <vector>

namespace kest {

namespace {

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool dialogReturnsResultDirectly(UINT message) noexcept {
    switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return true;
    default:
        return false;
    }
}

std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

}  // namespace

std::wstring CWindowBase::itemText(int id) const { return windowText(item(id)); }

CWindowImpl::~CWindowImpl() { destroy(); }

HWND CWindowImpl::create(HINSTANCE instance, const wchar_t* className, HWND parent, DWORD style,
                         DWORD exStyle, const RECT& bounds, const wchar_t* title, HMENU menuOrId) {
    WNDCLASSEXW existing{sizeof(existing)};
    if (!GetClassInfoExW(instance, className, &existing)) {
        WNDCLASSEXW windowClass{sizeof(windowClass)};
        windowClass.style = classStyle();
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = classBackground();
        windowClass.lpszClassName = className;
        if (!RegisterClassExW(&windowClass)) return nullptr;
    }
    return CreateWindowExW(exStyle, className, title, style, bounds.left, bounds.top,
                           bounds.right - bounds.left, bounds.bottom - bounds.top, parent, menuOrId,
                           instance, this);
}

void CWindowImpl::destroy() noexcept {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK CWindowImpl::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<CWindowImpl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        window = static_cast<CWindowImpl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (window) {
            window->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        }
    }
    if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);

    MessageArgs args{message, wParam, lParam};
    const LRESULT result =
        window->processMessage(args) ? args.result : DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        window->hwnd_ = nullptr;
        window->onFinalMessage();
    }
    return result;
}

void DataExchange::text(int id, std::wstring& value) const {
    if (save_)
        value = windowText(GetDlgItem(dialog_, id));
    else
        SetDlgItemTextW(dialog_, id, value.c_str());
}

void DataExchange::check(int id, bool& value) const noexcept {
    if (save_)
        value = IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
    else
        CheckDlgButton(dialog_, id, value ? BST_CHECKED : BST_UNCHECKED);
}

void DataExchange::radio(int firstId, int lastId, int& value) const noexcept {
    if (save_) {
        value = -1;
        for (int id = firstId; id <= lastId; ++id)
            if (IsDlgButtonChecked(dialog_, id) == BST_CHECKED) value = id - firstId;
    } else {
        for (int id = firstId; id <= lastId; ++id)
            CheckDlgButton(dialog_, id, id - firstId == value ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DataExchange::radio(std::initializer_list<int> ids, int& value) const noexcept {
    int index = 0;
    if (save_) {
        value = -1;
        for (int id : ids) {
            if (IsDlgButtonChecked(dialog_, id) == BST_CHECKED) value = index;
            ++index;
        }
    } else {
        for (int id : ids) CheckDlgButton(dialog_, id, index++ == value ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DataExchange::comboSelection(int id, int& value) const noexcept {
    if (save_)
        value = static_cast<int>(SendDlgItemMessageW(dialog_, id, CB_GETCURSEL, 0, 0));
    else
        SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

CDialog::~CDialog() { destroy(); }

INT_PTR CDialog::doModal(HINSTANCE instance, int templateId, HWND parent) {
    modeless_ = false;
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), parent, dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND CDialog::createModeless(HINSTANCE instance, int templateId, HWND parent) {
    modeless_ = true;
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, dialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CDialog::destroy() noexcept {
    if (hwnd_ && modeless_) DestroyWindow(hwnd_);
}

bool CDialog::updateData(bool save) {
    if (!hwnd_) return false;
    DataExchange exchange(hwnd_, save);
    doDataExchange(exchange);
    return true;
}

INT_PTR CALLBACK CDialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        if (dialog) {
            dialog->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        }
    }
    return routeDialogMessage(dialog, hwnd, message, wParam, lParam);
}

INT_PTR CDialog::routeDialogMessage(CDialog* dialog, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!dialog) return FALSE;
    MessageArgs args{message, wParam, lParam};
    const bool handled = dialog->processMessage(args);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        dialog->hwnd_ = nullptr;
        dialog->onFinalMessage();
    }
    if (!handled) return message == WM_INITDIALOG ? TRUE : FALSE;
    if (dialogReturnsResultDirectly(message)) return static_cast<INT_PTR>(args.result);
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, args.result);
    return TRUE;
}

namespace {

// The windows taken over by a CSubclassedWindow. A window whose object detached while
// another procedure was chained above ours keeps its entry, without object, so that our
// procedure can still forward to the one it replaced until the window is destroyed.
struct Subclass {
    HWND hwnd;
    CSubclassedWindow* window;
    WNDPROC previous;
};

SRWLOCK subclassesLock = SRWLOCK_INIT;
std::vector<Subclass> subclasses;

bool findSubclass(HWND hwnd, Subclass& found) noexcept {
    AcquireSRWLockShared(&subclassesLock);
    bool known = false;
    for (const Subclass& entry : subclasses) {
        if (entry.hwnd != hwnd) continue;
        found = entry;
        known = true;
        break;
    }
    ReleaseSRWLockShared(&subclassesLock);
    return known;
}

bool rememberSubclass(const Subclass& subclass) noexcept {
    AcquireSRWLockExclusive(&subclassesLock);
    bool stored = true;
    try {
        subclasses.push_back(subclass);
    } catch (...) {
        stored = false;
    }
    ReleaseSRWLockExclusive(&subclassesLock);
    return stored;
}

// Removes the window's entry; with keepForwarding the entry stays, without its object.
void forgetSubclass(HWND hwnd, bool keepForwarding) noexcept {
    AcquireSRWLockExclusive(&subclassesLock);
    for (auto entry = subclasses.begin(); entry != subclasses.end(); ++entry) {
        if (entry->hwnd != hwnd) continue;
        if (keepForwarding)
            entry->window = nullptr;
        else
            subclasses.erase(entry);
        break;
    }
    ReleaseSRWLockExclusive(&subclassesLock);
}

}  // namespace

CSubclassedWindow::~CSubclassedWindow() { detach(); }

bool CSubclassedWindow::attach(HWND hwnd) noexcept {
    if (hwnd_ || !hwnd || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return false;
    Subclass existing{};
    if (findSubclass(hwnd, existing)) {
        // A forwarding entry left by an earlier object: take it over.
        if (existing.window) return false;
        AcquireSRWLockExclusive(&subclassesLock);
        for (Subclass& entry : subclasses)
            if (entry.hwnd == hwnd) entry.window = this;
        ReleaseSRWLockExclusive(&subclassesLock);
        previous_ = existing.previous;
        hwnd_ = hwnd;
        return true;
    }
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc)));
    if (!previous) return false;
    if (!rememberSubclass(Subclass{hwnd, this, previous})) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        return false;
    }
    previous_ = previous;
    hwnd_ = hwnd;
    return true;
}

void CSubclassedWindow::detach() noexcept {
    if (!hwnd_) return;
    const bool onTop = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd_, GWLP_WNDPROC)) == subclassProc;
    if (onTop) SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    forgetSubclass(hwnd_, !onTop && IsWindow(hwnd_));
    hwnd_ = nullptr;
}

LRESULT CSubclassedWindow::callPrevious(UINT message, WPARAM wParam, LPARAM lParam) const noexcept {
    return CallWindowProcW(previous_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassedWindow::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Subclass entry{};
    if (!findSubclass(hwnd, entry)) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    if (entry.window) {
        MessageArgs args{message, wParam, lParam};
        result = entry.window->processMessage(args) ? args.result
                                                    : CallWindowProcW(entry.previous, hwnd, message, wParam, lParam);
    } else {
        result = CallWindowProcW(entry.previous, hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        Subclass current{};
        if (findSubclass(hwnd, current) && current.window) current.window->detach();
        forgetSubclass(hwnd, false);
    }
    return result;
}

}  // namespace kest
