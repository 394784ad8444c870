#include "CClassFactory.h"
#include "BandIdentity.h"
#include "CKestDeskBand.h"

namespace kest {

const InterfaceEntry* CClassFactory::interfaceTable() noexcept {
    static const InterfaceEntry table[] = {
        KEST_INTERFACE(CClassFactory, IClassFactory),
        KEST_INTERFACE_END,
    };
    return table;
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return createComObject<CKestDeskBand>(iid, out);
}

HRESULT getBandClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_KestDeskBand)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) CClassFactory(&CLSID_KestDeskBand);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(iid, out);
    factory->Release();
    return result;
}

}  // namespace kest
