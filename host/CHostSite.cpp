#include "CHostSite.h"

namespace kest {

const InterfaceEntry* CHostSite::interfaceTable() noexcept {
    static const InterfaceEntry table[] = {
        KEST_INTERFACE(CHostSite, IOleWindow),
        KEST_INTERFACE(CHostSite, IInputObjectSite),
        KEST_INTERFACE(CHostSite, IServiceProvider),
        KEST_INTERFACE(CHostSite, IOleCommandTarget),
        KEST_INTERFACE_END,
    };
    return table;
}

STDMETHODIMP CHostSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP CHostSite::OnFocusChangeIS(IUnknown*, BOOL focused) {
    ++focusReports_;
    bandHasFocus_ = focused != FALSE;
    if (events_) events_->OnBandFocusChange(bandHasFocus_);
    return S_OK;
}

STDMETHODIMP CHostSite::QueryService(REFGUID service, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(service, IID_IOleWindow) || IsEqualGUID(service, IID_IInputObjectSite)) {
        return QueryInterface(iid, out);
    }
    return E_NOINTERFACE;
}

namespace {
bool isDeskBandGroup(const GUID* group) noexcept { return group && IsEqualGUID(*group, CGID_DeskBand); }
}  // namespace

STDMETHODIMP CHostSite::QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT*) {
    if (!commands) return E_POINTER;
    if (!isDeskBandGroup(group)) return OLECMDERR_E_UNKNOWNGROUP;
    for (ULONG i = 0; i < count; ++i)
        commands[i].cmdf = commands[i].cmdID == DBID_BANDINFOCHANGED ? OLECMDF_SUPPORTED | OLECMDF_ENABLED : 0;
    return S_OK;
}

STDMETHODIMP CHostSite::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT*) {
    if (!isDeskBandGroup(group)) return OLECMDERR_E_UNKNOWNGROUP;
    if (command != DBID_BANDINFOCHANGED) return OLECMDERR_E_NOTSUPPORTED;
    ++bandInfoChanges_;
    if (events_) events_->OnBandInfoChanged();
    return S_OK;
}

}  // namespace kest
