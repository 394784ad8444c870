#include "ClassFactory.h"

namespace kest {

const InterfaceEntry* ClassFactory::interfaceTable() noexcept {
    static const InterfaceEntry table[] = {
        KEST_INTERFACE(ClassFactory, IClassFactory),
        KEST_INTERFACE_END,
    };
    return table;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return entry_.create(iid, out);
}

// Server locks are not counted: the live-object count alone keeps the module loaded.
STDMETHODIMP ClassFactory::LockServer(BOOL) { return E_NOTIMPL; }

HRESULT getClassObject(const ClassEntry* table, REFCLSID clsid, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const ClassEntry* entry = table; entry->clsid; ++entry) {
        if (!IsEqualCLSID(clsid, *entry->clsid)) continue;
        auto* factory = new (std::nothrow) ClassFactory(*entry);
        if (!factory) return E_OUTOFMEMORY;
        const HRESULT result = factory->QueryInterface(iid, out);
        factory->Release();
        return result;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace kest
