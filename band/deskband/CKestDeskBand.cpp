#include "CKestDeskBand.h"
#include "BandActivationScope.h"
#include "BandIdentity.h"
#include "SimpleBarDlg.h"
#include <new>

namespace kest {

namespace {

constexpr UINT PlaceFlags = SWP_NOZORDER | SWP_NOACTIVATE;

// The window's rectangle in its parent's client coordinates.
RECT rectInParent(HWND window, HWND parent) noexcept {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Keys that the search box's edit field handles itself on WM_CHAR; dialog keyboard
// handling would turn them into IDOK or IDCANCEL while the drop-down is closed.
bool isEditFieldKey(const MSG& message) noexcept {
    if (message.message != WM_KEYDOWN && message.message != WM_KEYUP && message.message != WM_CHAR) return false;
    return message.wParam == VK_RETURN || message.wParam == VK_ESCAPE;
}

}  // namespace

CKestDeskBand::CKestDeskBand() : CDeskBandBase(CLSID_KestDeskBand, BandWindowClass) {}

// The bar goes before the base destroys a band window that CloseDW did not.
CKestDeskBand::~CKestDeskBand() { bar_.reset(); }

LRESULT CKestDeskBand::OnCreate() {
    // The message is posted once per window; a second one finds the bar made already.
    if (bar_ || !bandWindow()) return 0;
    std::unique_ptr<CSimpleBarDlg> bar(new (std::nothrow) CSimpleBarDlg(this));
    if (!bar) return 0;
    HWND barWindow = nullptr;
    {
        // The bar, its controls, its tool tips and its notification window are made with
        // the common controls of the band's own manifest, whatever the host's manifest says.
        BandActivationScope activation;
        barWindow = bar->create(bandWindow());
    }
    if (!barWindow) return 0;
    bar_ = std::move(bar);
    SetParent(barWindow, bandWindow());

    const RECT band = rectInParent(bandWindow(), parentWindow());
    RECT barRect{};
    GetWindowRect(barWindow, &barRect);
    const int width = band.right - band.left;
    const int height = barRect.bottom - barRect.top;
    SetWindowPos(bandWindow(), nullptr, band.left, band.top, width, height, PlaceFlags);
    SetWindowPos(barWindow, nullptr, 0, 0, width, height, PlaceFlags);
    ShowWindow(barWindow, SW_SHOWNORMAL);
    SetFocus(barWindow);
    return 0;
}

LRESULT CKestDeskBand::OnSize(WPARAM, LPARAM lParam) {
    if (!parentWindow() || !bandWindow() || !bar_ || !bar_->hwnd()) return 0;
    const int width = LOWORD(lParam);
    RECT client{};
    GetClientRect(bar_->hwnd(), &client);
    const int height = client.bottom - client.top;
    const RECT band = rectInParent(bandWindow(), parentWindow());
    SetWindowPos(bandWindow(), nullptr, band.left, band.top, width, height, PlaceFlags);
    SetWindowPos(bar_->hwnd(), nullptr, 0, 0, width, height, PlaceFlags);
    return 0;
}

// The bar scales itself (it may have done so at its own WM_DPICHANGED_AFTERPARENT, which
// comes first, as children hear of the change before their parents); the band window takes
// the bar's new height.
void CKestDeskBand::OnDpiChanged() {
    if (!bar_ || !bar_->hwnd() || !bandWindow()) return;
    bar_->followDpi();
    RECT band{};
    GetClientRect(bandWindow(), &band);
    OnSize(SIZE_RESTORED, MAKELPARAM(band.right, band.bottom));
}

LRESULT CKestDeskBand::OnSetFocus() {
    if (bar_ && bar_->hwnd()) SetFocus(bar_->hwnd());
    return 0;
}

LRESULT CKestDeskBand::OnContextMenu(WPARAM wParam, LPARAM lParam) {
    if (!bar_) return 1;
    return bar_->ShowBarMenu(reinterpret_cast<HWND>(wParam), lParam);
}

// Nothing is freed: this may run inside a modal loop of the bar. Only the worker is
// stopped, so that no thread of the module runs on while the process ends.
void CKestDeskBand::OnEndSession() {
    if (bar_) bar_->stopWorker();
}

LRESULT CKestDeskBand::OnDestroy() {
    if (bar_) {
        if (bar_->hwnd()) DestroyWindow(bar_->hwnd());
        bar_.reset();
    }
    return 0;
}

HRESULT CKestDeskBand::OnTranslateAccelerator(MSG* message) {
    if (!bar_ || !bar_->hwnd() || !message) return S_FALSE;
    const HWND edit = bar_->searchBox().editWindow();
    const bool inEditField = edit && GetFocus() == edit;
    if (inEditField && message->message == WM_KEYDOWN && message->wParam == VK_TAB) {
        // The host moves the focus on to its next control.
        OnFocusChange(false);
        return S_OK;
    }
    if (inEditField && isEditFieldKey(*message)) return S_FALSE;
    if (IsDialogMessageW(bar_->hwnd(), message)) return S_OK;
    return S_FALSE;
}

}  // namespace kest
