#pragma once
// A static text control that acts as a link: underlined, blue, red under the pointer, the
// hand cursor, and a target address that the shell opens. The control notifies its owner
// of clicks (STN_CLICKED); the owner opens the target and reflects WM_CTLCOLORSTATIC for the
// control to OnCtlColor.
#include "AccessoryRules.h"
#include "UniqueHandle.h"
#include "Window.h"
#include <string>

namespace kest {

class CMyHyperLink : public CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(CMyHyperLink, CSubclassedWindow)
        KEST_ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
        KEST_ON_MESSAGE(WM_LBUTTONDOWN, OnRelayedMouse)
        KEST_ON_MESSAGE(WM_LBUTTONUP, OnRelayedMouse)
        KEST_ON_MESSAGE(WM_RBUTTONDOWN, OnRelayedMouse)
        KEST_ON_MESSAGE(WM_RBUTTONUP, OnRelayedMouse)
        KEST_ON_MESSAGE(WM_MBUTTONDOWN, OnRelayedMouse)
        KEST_ON_MESSAGE(WM_MBUTTONUP, OnRelayedMouse)
        KEST_ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
        KEST_ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
        KEST_ON_MESSAGE(WM_DESTROY, OnDestroy)
    KEST_END_MESSAGE_TABLE()

public:
    static constexpr UINT ToolId = 1001;

    // Attaches to the static control controlId of dialog: adds SS_NOTIFY, sets an underlined
    // copy of its font, loads the link cursor and creates the (hidden) tool tip.
    bool bind(HWND dialog, int controlId);

    void setTargetAddress(const std::wstring& address) { targetAddress_ = address; }
    const std::wstring& targetAddress() const noexcept { return targetAddress_; }

    // Opens the target address through the shell; true when the shell started it.
    bool openTarget();
    // Opens address with the "open" verb, showing the wait cursor meanwhile.
    static bool openAddress(const std::wstring& address);

    // The reflected WM_CTLCOLORSTATIC: text colour by hover state, transparent background.
    HBRUSH OnCtlColor(HDC dc) const noexcept;

    bool hovering() const noexcept { return hovering_; }
    COLORREF normalColor() const noexcept { return normalColor_; }
    COLORREF hoverColor() const noexcept { return hoverColor_; }
    HCURSOR linkCursor() const noexcept { return linkCursor_; }
    HWND toolTip() const noexcept { return toolTip_.get(); }
    HFONT underlinedFont() const noexcept { return underlinedFont_.get(); }

private:
    struct CursorTraits {
        using Handle = HCURSOR;
        static Handle invalid() noexcept { return nullptr; }
        static void close(Handle h) noexcept { DestroyCursor(h); }
    };

    LRESULT OnMouseMove(WPARAM, LPARAM);
    LRESULT OnRelayedMouse(WPARAM, LPARAM);
    LRESULT OnSetCursor(WPARAM, LPARAM);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);

    void relayToToolTip(UINT message, WPARAM wParam, LPARAM lParam) const noexcept;
    void loadLinkCursor();
    void createToolTip();
    void stopHovering();
    void redraw() const noexcept;

    UniqueHFont underlinedFont_;
    UniqueHWnd toolTip_;
    UniqueHandle<CursorTraits> ownedCursor_;  // the copy of the help viewer's hand cursor
    HCURSOR linkCursor_ = nullptr;            // ownedCursor_, or a shared system cursor
    std::wstring targetAddress_;
    COLORREF normalColor_ = HyperLinkNormalColor;
    COLORREF hoverColor_ = HyperLinkHoverColor;
    bool hovering_ = false;
};

}  // namespace kest
