#pragma once
// The floating bar: a thin, borderless, always-on-top strip that hosts the desk band as the
// taskbar does. A grip at its left end moves it, an edge at its right end changes its width;
// both end a drag by remembering the place. Its notification-area icon and its grip open the
// bar's menu: show or hide the bar, the settings program, exit.
#include "CHostedBand.h"
#include "CNotifyIconWindow.h"
#include "FloatBarIdentity.h"
#include "FloatBarPlacement.h"
#include "Dpi.h"
#include "UniqueHandle.h"

namespace kest {

class CFloatBarWnd : public CNotifyIconWindow, private HostSiteEvents {
    KEST_BEGIN_MESSAGE_TABLE(CFloatBarWnd, CNotifyIconWindow)
        KEST_ON_MESSAGE(WM_PAINT, OnPaint)
        KEST_ON_MESSAGE(WM_SIZE, OnSize)
        KEST_ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
        KEST_ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
        KEST_ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
        KEST_ON_MESSAGE(WM_LBUTTONUP, OnLButtonUp)
        KEST_ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
        KEST_ON_MESSAGE(WM_RBUTTONUP, OnRButtonUp)
        KEST_ON_MESSAGE(WM_DISPLAYCHANGE, OnDisplayChange)
        KEST_ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChange)
        KEST_ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
        KEST_ON_MESSAGE(WM_CLOSE, OnClose)
        KEST_ON_MESSAGE(WM_ENDSESSION, OnEndSession)
        KEST_ON_MESSAGE(WM_DESTROY, OnDestroy)
        KEST_ON_MESSAGE(PlaceBandMessage, OnPlaceBand)
        KEST_ON_MESSAGE(NotifyIconMessage, OnNotifyIcon)
        KEST_ON_COMMAND_ID(ShowBarCommandId, OnShowBarCommand)
        KEST_ON_COMMAND_ID(OpenSettingsCommandId, OnOpenSettings)
        KEST_ON_COMMAND_ID(ExitCommandId, OnExit)
        KEST_ON_COMMAND_ID(BringForwardCommandId, OnBringForward)
    KEST_END_MESSAGE_TABLE()

public:
    CFloatBarWnd() = default;
    ~CFloatBarWnd() override;

    // The window, hidden until the band is placed; null on failure.
    HWND create(HINSTANCE instance);
    // Sites the band on the window. The window shows itself once the band has made its bar
    // (a posted message, as the band makes its bar from one).
    HRESULT hostBand(IUnknown* band);
    // CloseDW, SetSite(NULL) and the last Release; the window stays.
    void closeBand() noexcept;

    // True once "Exit" was asked for. The request only ends the modal loops of the bar and
    // the band (a menu, the About box); the message loop then calls exitNow, outside them.
    bool exitRequested() const noexcept { return exitRequested_; }
    // Closes the band and destroys the window, which ends the message loop. Only from the
    // message loop itself: no handler of the band or the bar may be on the stack.
    void exitNow() noexcept;

    // Called by the message loop for every message before it is dispatched: the band's
    // keys while it has the focus, and the hot key shows a hidden bar. True when consumed.
    bool preTranslateMessage(MSG& message);

    bool barShown() const noexcept { return hwnd_ && IsWindowVisible(hwnd_); }
    // Shows the strip and the band; with focus also brings it forward with the focus in the band.
    void showBar(bool focus);
    void hideBar();

    // Posted to itself after SetSite, after the band's own posted creation of its bar.
    static constexpr UINT PlaceBandMessage = WM_APP + 2;

protected:
    HBRUSH classBackground() const noexcept override { return reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1); }
    UINT classStyle() const noexcept override { return CS_HREDRAW | CS_VREDRAW; }

private:
    // HostSiteEvents: the strip holds nothing else that could take the focus.
    void OnBandFocusChange(bool) override {}
    // The band's height follows its DPI: the strip takes it.
    void OnBandInfoChanged() override;

    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnSetCursor(WPARAM window, LPARAM hitTest);
    LRESULT OnLButtonDown(WPARAM, LPARAM position);
    LRESULT OnMouseMove(WPARAM, LPARAM position);
    LRESULT OnLButtonUp(WPARAM, LPARAM position);
    LRESULT OnCaptureChanged(WPARAM, LPARAM newCapture);
    LRESULT OnRButtonUp(WPARAM, LPARAM position);
    LRESULT OnDisplayChange(WPARAM, LPARAM);
    LRESULT OnSettingChange(WPARAM action, LPARAM);
    // Moved to a monitor of another scale: the strip takes the rectangle the system suggests.
    LRESULT OnDpiChanged(WPARAM, LPARAM suggested);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM ending, LPARAM flags);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnPlaceBand(WPARAM, LPARAM);
    LRESULT OnNotifyIcon(WPARAM, LPARAM mouseMessage);
    void OnShowBarCommand(UINT, UINT, HWND);
    void OnOpenSettings(UINT, UINT, HWND);
    void OnExit(UINT, UINT, HWND);
    void OnBringForward(UINT, UINT, HWND) { showBar(true); }

    void layoutBand() const;
    FloatBarMetrics metrics() const noexcept { return floatBarMetrics(WindowDpi(hwnd_)); }
    // The height of the band's window once it holds its bar; else what GetBandInfo asked for.
    void measureBandHeight(const DESKBANDINFO* info);
    int minimumWidth() const noexcept;
    void dragTo(LPARAM clientPosition);
    void endDrag();
    // Brings the strip back inside the work area it overlaps most.
    void fitIntoView();
    void showMenu(POINT screenPosition);
    void requestExit();
    // Ends a popup menu and every dialog box owned by the strip on this thread.
    void endModalLoops() const;

    HINSTANCE instance_ = nullptr;
    CHostedBand band_;
    UniqueHIcon icon_;
    int bandHeight_ = 22;
    int bandMinimumWidth_ = 0;
    bool placed_ = false;
    bool dragging_ = false;
    bool exitRequested_ = false;
    FloatBarDrag drag_ = FloatBarDrag::Move;
    POINT dragStart_{};
    RECT dragStartRect_{};
};

}  // namespace kest
