#pragma once
// The host's site object, given to the band with SetSite: the strip's window, focus
// reports, and the services a taskbar offers.
#include "ComObject.h"
#include <servprov.h>
#include <shobjidl.h>

namespace kest {

class CHostSite : public ComObject<CHostSite, IOleWindow, IInputObjectSite, IServiceProvider> {
public:
    // strip: the window the band becomes a child of; nextFocus takes the focus the band gives back.
    CHostSite(HWND strip, HWND nextFocus) noexcept : strip_(strip), nextFocus_(nextFocus) {}
    static const InterfaceEntry* interfaceTable() noexcept;

    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnFocusChangeIS(IUnknown* object, BOOL focused) override;
    // Answers the site's own interfaces for the services named like them; nothing else.
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override;

    bool bandHasFocus() const noexcept { return bandHasFocus_; }
    int focusReports() const noexcept { return focusReports_; }

private:
    HWND strip_;
    HWND nextFocus_;
    bool bandHasFocus_ = false;
    int focusReports_ = 0;
};

}  // namespace kest
