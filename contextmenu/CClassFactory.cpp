#include "CClassFactory.h"
#include "CContextMenu.h"

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
    return createComObject<CContextMenu>(iid, out);
}

STDMETHODIMP CClassFactory::LockServer(BOOL) { return E_NOTIMPL; }

}  // namespace kest
