#pragma once
// A desk band host's site object, given to the band with SetSite: the host's window, focus
// reports, and the services a taskbar offers.
#include "ComObject.h"
#include <docobj.h>
#include <servprov.h>
#include <shobjidl.h>

namespace kest {

// What the host hears from its site.
class HostSiteEvents {
public:
    // The band reported that it took (true) or gave back (false) the keyboard focus.
    virtual void OnBandFocusChange(bool focused) = 0;
    // The band's sizes changed (DBID_BANDINFOCHANGED): the host asks GetBandInfo again and
    // sizes the band's window to the answer.
    virtual void OnBandInfoChanged() = 0;

protected:
    ~HostSiteEvents() = default;
};

class CHostSite : public ComObject<CHostSite, IOleWindow, IInputObjectSite, IServiceProvider, IOleCommandTarget> {
public:
    // window: the one the band becomes a child of; events may be null and must outlive the
    // site or be disconnected first.
    CHostSite(HWND window, HostSiteEvents* events) noexcept : window_(window), events_(events) {}
    static const InterfaceEntry* interfaceTable() noexcept;

    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnFocusChangeIS(IUnknown* object, BOOL focused) override;
    // Answers the site's own interfaces for the services named like them; nothing else.
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override;
    // The desk band commands a taskbar answers: DBID_BANDINFOCHANGED only.
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in, VARIANT* out) override;

    // The host stops listening: a band that still holds the site reaches no window and no host.
    void disconnect() noexcept {
        window_ = nullptr;
        events_ = nullptr;
    }

    bool bandHasFocus() const noexcept { return bandHasFocus_; }
    int focusReports() const noexcept { return focusReports_; }
    int bandInfoChanges() const noexcept { return bandInfoChanges_; }

private:
    HWND window_;
    HostSiteEvents* events_;
    bool bandHasFocus_ = false;
    int focusReports_ = 0;
    int bandInfoChanges_ = 0;
};

}  // namespace kest
