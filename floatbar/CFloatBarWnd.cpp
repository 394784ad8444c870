#include "CFloatBarWnd.h"
#include "FloatBarMenu.h"
#include "ProgramFolder.h"
#include "resource.h"
#include <shellapi.h>
#include <windowsx.h>
#include <algorithm>
#include <climits>
#include <vector>

namespace kest {

namespace {

constexpr UINT PlaceFlags = SWP_NOZORDER | SWP_NOACTIVATE;

int width(const RECT& rect) noexcept { return rect.right - rect.left; }

bool sameRect(const RECT& a, const RECT& b) noexcept {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

POINT screenPoint(HWND window, LPARAM clientPosition) noexcept {
    POINT point{GET_X_LPARAM(clientPosition), GET_Y_LPARAM(clientPosition)};
    ClientToScreen(window, &point);
    return point;
}

// The dialog boxes owned by a window; DialogBoxParamW makes its parent's top-level window the owner.
struct OwnedDialogs {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK collectOwnedDialog(HWND window, LPARAM search) {
    auto* dialogs = reinterpret_cast<OwnedDialogs*>(search);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    const HWND owner = GetWindow(window, GW_OWNER);
    if (lstrcmpW(className, L"#32770") == 0 && owner && GetAncestor(owner, GA_ROOT) == dialogs->owner)
        dialogs->found.push_back(window);
    return TRUE;
}

}  // namespace

CFloatBarWnd::~CFloatBarWnd() {
    // The band goes before its parent window.
    closeBand();
}

HWND CFloatBarWnd::create(HINSTANCE instance) {
    instance_ = instance;
    const RECT provisional{0, 0, FloatBarDefaultWidth, bandHeight_};
    if (!CWindowImpl::create(instance, FloatBarWindowClass, nullptr, WS_POPUP | WS_CLIPCHILDREN,
                             WS_EX_TOPMOST | WS_EX_TOOLWINDOW, provisional, FloatBarWindowTitle)) {
        return nullptr;
    }
    icon_.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KESTFLOAT), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    if (HICON big = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KESTFLOAT), IMAGE_ICON, 0, 0,
                                                  LR_DEFAULTSIZE | LR_SHARED))) {
        send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    }
    if (icon_) send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
    return hwnd_;
}

HRESULT CFloatBarWnd::hostBand(IUnknown* band) {
    if (!hwnd_) return E_UNEXPECTED;
    const HRESULT result = band_.open(band, hwnd_, this);
    if (FAILED(result)) return result;
    DESKBANDINFO info{};
    if (SUCCEEDED(band_.bandInfo(DBIF_VIEWMODE_NORMAL, info))) measureBandHeight(&info);
    layoutBand();
    PostMessageW(hwnd_, PlaceBandMessage, 0, 0);
    return result;
}

void CFloatBarWnd::closeBand() noexcept { band_.close(); }

LRESULT CFloatBarWnd::OnPlaceBand(WPARAM, LPARAM) {
    if (!band_.isOpen()) return 0;
    // The band has made its bar by now and taken the bar's height.
    measureBandHeight(nullptr);
    const RECT bar =
        placeBar(readSavedPlacement(), currentMonitors(), bandHeight_, minimumWidth(), metrics().defaultWidth);
    SetWindowPos(hwnd_, HWND_TOPMOST, bar.left, bar.top, width(bar), bar.bottom - bar.top, SWP_NOACTIVATE);
    layoutBand();
    placed_ = true;
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    band_.show(true);
    addNotifyIcon(NotifyIconId, NotifyIconMessage, icon_.get(), FloatBarWindowTitle);
    return 0;
}

void CFloatBarWnd::measureBandHeight(const DESKBANDINFO* info) {
    if (info && info->ptMinSize.y > 0) bandHeight_ = info->ptMinSize.y;
    if (info && info->ptMinSize.x > 0) bandMinimumWidth_ = info->ptMinSize.x;
    if (HWND bandWindow = band_.window(); bandWindow && GetWindow(bandWindow, GW_CHILD)) {
        RECT bounds{};
        GetWindowRect(bandWindow, &bounds);
        if (bounds.bottom > bounds.top) bandHeight_ = bounds.bottom - bounds.top;
    }
}

void CFloatBarWnd::OnBandInfoChanged() {
    DESKBANDINFO info{};
    if (FAILED(band_.bandInfo(DBIF_VIEWMODE_NORMAL, info))) return;
    measureBandHeight(&info);
    RECT bar{};
    GetWindowRect(hwnd_, &bar);
    // WM_SIZE lays the band out in the new height.
    SetWindowPos(hwnd_, nullptr, 0, 0, std::max(width(bar), minimumWidth()), bandHeight_, PlaceFlags | SWP_NOMOVE);
    layoutBand();
}

LRESULT CFloatBarWnd::OnDpiChanged(WPARAM, LPARAM suggested) {
    const RECT* rect = reinterpret_cast<const RECT*>(suggested);
    if (rect) SetWindowPos(hwnd_, nullptr, rect->left, rect->top, width(*rect), rect->bottom - rect->top, PlaceFlags);
    InvalidateRect(hwnd_, nullptr, TRUE);
    return 0;
}

void CFloatBarWnd::layoutBand() const {
    HWND bandWindow = band_.window();
    if (!bandWindow || !hwnd_) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const FloatBarMetrics sizes = metrics();
    const int bandWidth = std::max(0, static_cast<int>(client.right) - sizes.gripWidth - sizes.edgeWidth);
    // The band answers WM_SIZE by sizing itself and its bar to this width.
    SetWindowPos(bandWindow, nullptr, sizes.gripWidth, 0, bandWidth, bandHeight_, PlaceFlags);
}

int CFloatBarWnd::minimumWidth() const noexcept {
    const FloatBarMetrics sizes = metrics();
    return std::max(bandMinimumWidth_, 1) + sizes.gripWidth + sizes.edgeWidth;
}

LRESULT CFloatBarWnd::OnSize(WPARAM, LPARAM) {
    layoutBand();
    return 0;
}

LRESULT CFloatBarWnd::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    if (!dc) return 0;
    RECT client{};
    GetClientRect(hwnd_, &client);
    // The grip: two raised ridges, as a toolbar's gripper; the edge: one etched line.
    const UINT dpi = WindowDpi(hwnd_);
    for (int x : {2, 5}) {
        RECT ridge{ScaleForDpi(x, dpi), ScaleForDpi(2, dpi), ScaleForDpi(x + 3, dpi), client.bottom - ScaleForDpi(2, dpi)};
        DrawEdge(dc, &ridge, BDR_RAISEDINNER, BF_RECT);
    }
    RECT edge{client.right - metrics().edgeWidth + 1, 1, client.right - 1, client.bottom - 1};
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_LEFT | BF_RIGHT);
    EndPaint(hwnd_, &paint);
    return 0;
}

LRESULT CFloatBarWnd::OnSetCursor(WPARAM window, LPARAM hitTest) {
    if (reinterpret_cast<HWND>(window) != hwnd_ || LOWORD(hitTest) != HTCLIENT) {
        passToDefault();
        return 0;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(hwnd_, &cursor);
    RECT client{};
    GetClientRect(hwnd_, &client);
    switch (zoneAt(cursor.x, client.right, metrics())) {
    case FloatBarZone::Grip:
        SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
        return TRUE;
    case FloatBarZone::Edge:
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return TRUE;
    case FloatBarZone::Band:
        break;
    }
    passToDefault();
    return 0;
}

LRESULT CFloatBarWnd::OnLButtonDown(WPARAM, LPARAM position) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const FloatBarZone zone = zoneAt(GET_X_LPARAM(position), client.right, metrics());
    if (zone == FloatBarZone::Band) return 0;
    drag_ = zone == FloatBarZone::Grip ? FloatBarDrag::Move : FloatBarDrag::Width;
    dragStart_ = screenPoint(hwnd_, position);
    GetWindowRect(hwnd_, &dragStartRect_);
    dragging_ = true;
    SetCapture(hwnd_);
    return 0;
}

void CFloatBarWnd::dragTo(LPARAM clientPosition) {
    const POINT cursor = screenPoint(hwnd_, clientPosition);
    const std::vector<MonitorArea> monitors = currentMonitors();
    const int area = chooseWorkArea(dragStartRect_, monitors);
    const int maxWidth = area >= 0 ? width(monitors[static_cast<size_t>(area)].work) : INT_MAX;
    const RECT bar = dragRect(dragStartRect_, drag_, cursor.x - dragStart_.x, cursor.y - dragStart_.y,
                              minimumWidth(), maxWidth);
    SetWindowPos(hwnd_, nullptr, bar.left, bar.top, width(bar), bar.bottom - bar.top, PlaceFlags);
}

LRESULT CFloatBarWnd::OnMouseMove(WPARAM, LPARAM position) {
    if (dragging_) dragTo(position);
    return 0;
}

LRESULT CFloatBarWnd::OnLButtonUp(WPARAM, LPARAM position) {
    if (!dragging_) return 0;
    dragTo(position);
    endDrag();
    return 0;
}

LRESULT CFloatBarWnd::OnCaptureChanged(WPARAM, LPARAM newCapture) {
    if (dragging_ && reinterpret_cast<HWND>(newCapture) != hwnd_) endDrag();
    return 0;
}

// A drag ends inside the visible work area, and the place is remembered.
void CFloatBarWnd::endDrag() {
    if (!dragging_) return;
    dragging_ = false;
    if (GetCapture() == hwnd_) ReleaseCapture();
    fitIntoView();
    RECT bar{};
    GetWindowRect(hwnd_, &bar);
    writeSavedPlacement(bar);
}

void CFloatBarWnd::fitIntoView() {
    RECT bar{};
    GetWindowRect(hwnd_, &bar);
    const std::vector<MonitorArea> monitors = currentMonitors();
    const int area = chooseWorkArea(bar, monitors);
    if (area < 0) return;
    const RECT fitted = fitIntoWorkArea(bar, monitors[static_cast<size_t>(area)].work);
    if (!sameRect(bar, fitted))
        SetWindowPos(hwnd_, nullptr, fitted.left, fitted.top, width(fitted), fitted.bottom - fitted.top, PlaceFlags);
}

LRESULT CFloatBarWnd::OnRButtonUp(WPARAM, LPARAM position) {
    showMenu(screenPoint(hwnd_, position));
    return 0;
}

// A monitor was removed or the taskbar moved: the strip comes back into view.
LRESULT CFloatBarWnd::OnDisplayChange(WPARAM, LPARAM) {
    if (placed_) fitIntoView();
    passToDefault();
    return 0;
}

LRESULT CFloatBarWnd::OnSettingChange(WPARAM action, LPARAM) {
    if (placed_ && action == SPI_SETWORKAREA) fitIntoView();
    passToDefault();
    return 0;
}

LRESULT CFloatBarWnd::OnNotifyIcon(WPARAM, LPARAM mouseMessage) {
    switch (LOWORD(mouseMessage)) {
    case WM_LBUTTONUP:
        OnShowBarCommand(0, ShowBarCommandId, nullptr);
        break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU: {
        POINT cursor{};
        GetCursorPos(&cursor);
        showMenu(cursor);
        break;
    }
    default:
        break;
    }
    return 0;
}

void CFloatBarWnd::showMenu(POINT screenPosition) {
    UniqueHMenu menu = createFloatBarMenu(barShown());
    if (!menu) return;
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd_);
    const UINT command = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                          screenPosition.x, screenPosition.y, 0, hwnd_, nullptr));
    PostMessageW(hwnd_, WM_NULL, 0, 0);
    if (command != 0) PostMessageW(hwnd_, WM_COMMAND, command, 0);
}

void CFloatBarWnd::showBar(bool focus) {
    // Until the band is placed the strip has no place to show at.
    if (!placed_ || !band_.isOpen()) return;
    if (!IsWindowVisible(hwnd_)) {
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        band_.show(true);
    }
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (focus) {
        SetForegroundWindow(hwnd_);
        band_.activate();
    }
}

void CFloatBarWnd::hideBar() {
    if (!IsWindowVisible(hwnd_)) return;
    band_.show(false);
    ShowWindow(hwnd_, SW_HIDE);
}

void CFloatBarWnd::OnShowBarCommand(UINT, UINT, HWND) {
    if (barShown())
        hideBar();
    else
        showBar(true);
}

void CFloatBarWnd::OnOpenSettings(UINT, UINT, HWND) {
    const std::wstring folder = programFolder();
    if (folder.empty()) return;
    const std::wstring program = folder + L"kestconf.exe";
    ShellExecuteW(nullptr, nullptr, program.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

void CFloatBarWnd::OnExit(UINT, UINT, HWND) { requestExit(); }

LRESULT CFloatBarWnd::OnClose(WPARAM, LPARAM) {
    requestExit();
    return 0;
}

// The request may arrive inside the loop of a menu or of the band's About box, which would
// run a posted exit just the same: closing the band there would free the bar under its own
// handler. So the loops are ended first, and the message loop closes the band.
void CFloatBarWnd::requestExit() {
    exitRequested_ = true;
    endModalLoops();
    // Wakes the message loop when the request was sent from another thread or process.
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void CFloatBarWnd::endModalLoops() const {
    EndMenu();
    OwnedDialogs dialogs{hwnd_, {}};
    EnumThreadWindows(GetCurrentThreadId(), collectOwnedDialog, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dialog : dialogs.found) EndDialog(dialog, IDCANCEL);
}

// The band is closed before its parent window goes, as the taskbar calls CloseDW first.
void CFloatBarWnd::exitNow() noexcept {
    exitRequested_ = false;
    closeBand();
    destroy();
}

// After WM_ENDSESSION the system may end the process at any moment, and this may run inside
// a modal loop of the band: the band's worker is stopped and the process ends here, freeing
// nothing that a caller further up the stack still uses.
LRESULT CFloatBarWnd::OnEndSession(WPARAM ending, LPARAM flags) {
    if (!ending) return 0;
    // Only top-level windows hear of the end of the session.
    if (HWND bandWindow = band_.window()) SendMessageW(bandWindow, WM_ENDSESSION, ending, flags);
    removeNotifyIcon();
    ExitProcess(ExitClosedCleanly);
}

LRESULT CFloatBarWnd::OnDestroy(WPARAM, LPARAM) {
    dragging_ = false;
    removeNotifyIcon();
    PostQuitMessage(0);
    return 0;
}

bool CFloatBarWnd::preTranslateMessage(MSG& message) {
    if (!hwnd_) return false;
    if (message.message == WM_HOTKEY && message.hwnd && IsChild(hwnd_, message.hwnd)) {
        // The bar's own handling then puts the focus into the search box.
        showBar(true);
        return false;
    }
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && band_.hasFocus())
        return band_.translateAccelerator(message);
    return false;
}

}  // namespace kest
