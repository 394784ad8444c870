#pragma once
// The band module's class factory: it makes desk band objects.
#include "ComObject.h"

namespace kest {

class CClassFactory : public ComObject<CClassFactory, IClassFactory> {
public:
    // clsid must outlive the factory (it is the module's fixed class id).
    explicit CClassFactory(const CLSID* clsid) noexcept : clsid_(clsid) {}
    static const InterfaceEntry* interfaceTable() noexcept;

    const CLSID& classId() const noexcept { return *clsid_; }

    // *out is null unless S_OK; no aggregation; a refused interface destroys the new band.
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    // Server locks are not counted: the live-object count alone keeps the module loaded.
    STDMETHODIMP LockServer(BOOL) override { return E_NOTIMPL; }

private:
    const CLSID* clsid_;
};

// DllGetClassObject: a factory for the band class id; CLASS_E_CLASSNOTAVAILABLE for any other.
HRESULT getBandClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept;

}  // namespace kest
