#include "CHostSite.h"

namespace kest {

const InterfaceEntry* CHostSite::interfaceTable() noexcept {
    static const InterfaceEntry table[] = {
        KEST_INTERFACE(CHostSite, IOleWindow),
        KEST_INTERFACE(CHostSite, IInputObjectSite),
        KEST_INTERFACE(CHostSite, IServiceProvider),
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

}  // namespace kest
