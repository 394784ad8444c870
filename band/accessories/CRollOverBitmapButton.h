#pragma once
// The bar's menu button: an owner-drawn button that shows one of four bitmaps named after
// its text (up, down, focused, disabled). While the pointer is over it the button holds the
// keyboard focus, so the focused image is its roll-over look; when the pointer leaves, the
// focus goes back to the window that had it. Clicks reach the owner as BN_CLICKED.
//
// The button paints itself (WM_PAINT, WM_PRINTCLIENT), so its owner needs no reflection of
// WM_DRAWITEM; an owner that handles WM_DRAWITEM for it may pass the request to drawItem.
#include "AccessoryRules.h"
#include "Dpi.h"
#include "UniqueHandle.h"
#include "Window.h"

namespace kest {

class CRollOverBitmapButton : public CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(CRollOverBitmapButton, CSubclassedWindow)
        KEST_ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
        KEST_ON_MESSAGE(WM_MOUSEHOVER, OnMouseHover)
        KEST_ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
        KEST_ON_MESSAGE(WM_PAINT, OnPaint)
        KEST_ON_MESSAGE(WM_PRINTCLIENT, OnPrintClient)
        KEST_ON_MESSAGE(WM_SETFOCUS, OnStateChange)
        KEST_ON_MESSAGE(WM_KILLFOCUS, OnStateChange)
        KEST_ON_MESSAGE(WM_ENABLE, OnStateChange)
        KEST_ON_MESSAGE(BM_SETSTATE, OnStateChange)
    KEST_END_MESSAGE_TABLE()

public:
    // Attaches to the button controlId of dialog, loads the images named by the button's
    // text from the band module, the largest set made up to the button's DPI whose up image
    // is at most heightLimit pixels high, and sizes the button to the up image. False when
    // there is no such button, it is already bound, or the up image is missing (the button
    // is then attached and paints its face colour).
    bool bind(HWND dialog, int controlId, int heightLimit);

    // Takes the images for the button's DPI now and heightLimit, and sizes the button to
    // them, unless they were chosen for both already.
    void followDpi(int heightLimit);

    // Draws the image for an owner-draw request of this button.
    void drawItem(const DRAWITEMSTRUCT& item) const;

    bool hovered() const noexcept { return hovered_; }
    bool tracking() const noexcept { return tracking_; }
    HBITMAP image(RollOverImage which) const noexcept { return images_[static_cast<int>(which)].get(); }

private:
    LRESULT OnMouseMove(WPARAM, LPARAM);
    LRESULT OnMouseHover(WPARAM, LPARAM);
    LRESULT OnMouseLeave(WPARAM, LPARAM);
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnPrintClient(WPARAM dc, LPARAM);
    LRESULT OnStateChange(WPARAM, LPARAM);

    // False when the up image is missing.
    bool loadImages(UINT dpi, int heightLimit);
    // The owner-draw state of the button as it is now.
    UINT currentState() const noexcept;
    void drawImage(HDC dc, const RECT& bounds, UINT itemState) const;
    // True while the system still reports hover and leave tracking for this button.
    bool trackingActive() const noexcept;

    UniqueHBitmap images_[RollOverImageCount];
    UINT imagesDpi_ = 0;
    int imagesLimit_ = 0;
    bool hovered_ = false;
    bool tracking_ = false;
    HWND previousFocus_ = nullptr;  // not owned: the window that had the focus before the pointer came
};

}  // namespace kest
