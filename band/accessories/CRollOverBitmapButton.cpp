#include "CRollOverBitmapButton.h"
#include "ScaledImages.h"
#include "search/ModuleFolder.h"
#include <commctrl.h>
#include <vector>

namespace kest {

namespace {

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle h) noexcept { DeleteDC(h); }
};
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

}  // namespace

bool CRollOverBitmapButton::bind(HWND dialog, int controlId, int heightLimit) {
    HWND button = GetDlgItem(dialog, controlId);
    if (!button || !attach(button)) return false;
    return loadImages(TopLevelDpi(hwnd_), heightLimit);
}

void CRollOverBitmapButton::followDpi(int heightLimit) {
    const UINT dpi = TopLevelDpi(hwnd_);
    if (hwnd_ && (dpi != imagesDpi_ || heightLimit != imagesLimit_)) loadImages(dpi, heightLimit);
}

bool CRollOverBitmapButton::loadImages(UINT dpi, int heightLimit) {
    imagesDpi_ = dpi;
    imagesLimit_ = heightLimit;
    const std::wstring text = windowText(hwnd_);
    // One set: the scale the up image fits at.
    const ImageScale scale =
        fittingImageScale(bandModule(), rollOverImageName(text, RollOverImage::Up), dpi, heightLimit);
    for (int i = 0; i < RollOverImageCount; ++i)
        images_[i] = loadScaledBitmap(bandModule(), rollOverImageName(text, static_cast<RollOverImage>(i)), scale);
    const SIZE size = bitmapSize(image(RollOverImage::Up));
    if (size.cx == 0) return false;
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
}

void CRollOverBitmapButton::drawItem(const DRAWITEMSTRUCT& item) const {
    if (item.hwndItem == hwnd_ && hwnd_) drawImage(item.hDC, item.rcItem, item.itemState);
}

UINT CRollOverBitmapButton::currentState() const noexcept {
    UINT state = 0;
    if (SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) state |= ODS_SELECTED;
    if (GetFocus() == hwnd_) state |= ODS_FOCUS;
    if (!IsWindowEnabled(hwnd_)) state |= ODS_DISABLED;
    return state;
}

void CRollOverBitmapButton::drawImage(HDC dc, const RECT& bounds, UINT itemState) const {
    const RollOverImage which = pickRollOverImage(itemState, image(RollOverImage::Down) != nullptr,
                                                  image(RollOverImage::Focused) != nullptr,
                                                  image(RollOverImage::Disabled) != nullptr);
    HBITMAP bitmap = image(which);
    UniqueMemoryDc memory(bitmap ? CreateCompatibleDC(dc) : nullptr);
    if (!memory) {
        FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    SelectObjectGuard selected(memory.get(), bitmap);
    BitBlt(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, memory.get(), 0, 0,
           SRCCOPY);
}

bool CRollOverBitmapButton::trackingActive() const noexcept {
    if (!tracking_) return false;
    TRACKMOUSEEVENT query{sizeof(query)};
    query.dwFlags = TME_QUERY;
    query.hwndTrack = hwnd_;
    if (!_TrackMouseEvent(&query)) return true;
    return query.hwndTrack == hwnd_ && (query.dwFlags & TME_LEAVE);
}

LRESULT CRollOverBitmapButton::OnMouseMove(WPARAM, LPARAM) {
    // Wine answers a tracking request for a window that is not under the pointer with
    // success but never posts WM_MOUSELEAVE; asking the system again repairs that case.
    if (!trackingActive()) {
        // Only within the window the user works in: hovering over an inactive bar must
        // not activate it.
        if (GetActiveWindow() == GetAncestor(hwnd_, GA_ROOT)) {
            HWND previous = SetFocus(hwnd_);
            if (previous != hwnd_) previousFocus_ = previous;
        }
        TRACKMOUSEEVENT request{sizeof(request)};
        request.dwFlags = TME_HOVER | TME_LEAVE;
        request.hwndTrack = hwnd_;
        request.dwHoverTime = 1;
        tracking_ = _TrackMouseEvent(&request) != FALSE;
    }
    if (!hovered_) {
        hovered_ = true;
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    passToDefault();
    return 0;
}

LRESULT CRollOverBitmapButton::OnMouseHover(WPARAM, LPARAM) {
    hovered_ = true;
    InvalidateRect(hwnd_, nullptr, TRUE);
    return 0;
}

LRESULT CRollOverBitmapButton::OnMouseLeave(WPARAM, LPARAM) {
    // The focus goes back only if the button still has it: when the user or a dialog moved
    // it meanwhile, taking it back would steal it.
    if (previousFocus_) {
        if (GetFocus() == hwnd_ && IsWindow(previousFocus_)) SetFocus(previousFocus_);
        previousFocus_ = nullptr;
    }
    tracking_ = false;
    hovered_ = false;
    InvalidateRect(hwnd_, nullptr, TRUE);
    return 0;
}

LRESULT CRollOverBitmapButton::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(hwnd_, &paint);
    if (dc) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        drawImage(dc, client, currentState());
    }
    EndPaint(hwnd_, &paint);
    return 0;
}

LRESULT CRollOverBitmapButton::OnPrintClient(WPARAM dc, LPARAM) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    drawImage(reinterpret_cast<HDC>(dc), client, currentState());
    return 0;
}

LRESULT CRollOverBitmapButton::OnStateChange(WPARAM wParam, LPARAM lParam) {
    // The button's own handling asks the owner to draw; the image follows the new state here.
    const LRESULT result = callPrevious(current_->message, wParam, lParam);
    InvalidateRect(hwnd_, nullptr, FALSE);
    return result;
}

}  // namespace kest
