#pragma once
// A reusable desk band: the interfaces a taskbar host talks to and the band's host window,
// whose messages become six hooks for the subclass.
#include "ComObject.h"
#include "ComPtr.h"
#include <shlobj.h>
#include <shobjidl.h>
#include <string>

namespace kest {

class CDeskBandBase : public ComObject<CDeskBandBase, IDeskBand, IInputObject, IObjectWithSite, IPersistStream> {
public:
    static const InterfaceEntry* interfaceTable() noexcept;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IDockingWindow
    STDMETHODIMP ShowDW(BOOL show) override;
    STDMETHODIMP CloseDW(DWORD reserved) override;
    STDMETHODIMP ResizeBorderDW(LPCRECT, IUnknown*, BOOL) override { return E_NOTIMPL; }
    // IDeskBand
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) override;
    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* message) override;
    STDMETHODIMP HasFocusIO() override;
    STDMETHODIMP TranslateAcceleratorIO(MSG* message) override;
    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID iid, void** out) override;
    // IPersist / IPersistStream: nothing is stored.
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream*) override { return S_OK; }
    STDMETHODIMP Save(IStream*, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

    // Reports to the site that the band gained or lost the focus.
    void OnFocusChange(bool focused);
    // The band's height at the DPI of its window: what GetBandInfo asks for.
    int bandHeight() const noexcept;

    DWORD viewMode() const noexcept { return viewMode_; }
    DWORD bandId() const noexcept { return bandId_; }
    HWND parentWindow() const noexcept { return parentWindow_; }
    HWND bandWindow() const noexcept { return bandWindow_; }

    // The minimum width on a horizontal taskbar of the given screen width.
    static int horizontalMinimumWidth(int screenWidth) noexcept;

protected:
    CDeskBandBase(const CLSID& persistClass, const wchar_t* windowClassName);
    ~CDeskBandBase() override;

    // The hooks, all called on the host's thread from the band window's messages.
    virtual HRESULT OnTranslateAccelerator(MSG* message) = 0;
    virtual LRESULT OnCreate() = 0;              // from the posted WM_USER + 1
    virtual LRESULT OnDestroy() = 0;             // from WM_DESTROY
    virtual LRESULT OnSize(WPARAM wParam, LPARAM lParam) = 0;
    virtual LRESULT OnSetFocus() = 0;
    // 0 when the menu was shown; anything else leaves the message to default processing.
    virtual LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam) = 0;
    // The session ends (WM_ENDSESSION passed on by the host, as only top-level windows get
    // it): the process may be ended at any moment after this returns.
    virtual void OnEndSession() {}
    // The DPI of the band's top-level window changed (WM_DPICHANGED_AFTERPARENT, which each
    // child window gets): the subclass scales its content. The base then tells the site when
    // the band's height changed, and the host asks GetBandInfo again.
    virtual void OnDpiChanged() {}

    // Posted by the band window to itself at WM_CREATE, so the bar is made after it exists.
    static constexpr UINT CreateContentMessage = WM_USER + 1;

private:
    bool createBandWindow();
    // Exec of DBID_BANDINFOCHANGED on the site's IOleCommandTarget, when it has one.
    void reportBandInfoChanged();
    static LRESULT CALLBACK bandWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    DWORD viewMode_ = 0;
    DWORD bandId_ = 0;
    int reportedHeight_ = 0;  // 0 until GetBandInfo gave a height
    HWND parentWindow_ = nullptr;
    // The host window; destroyed by CloseDW, or at the latest with the object.
    HWND bandWindow_ = nullptr;
    CLSID persistClass_;
    std::wstring windowClassName_;
    ComPtr<IInputObjectSite> inputSite_;
};

}  // namespace kest
