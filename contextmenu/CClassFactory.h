#pragma once
// The class factory of the one class the module serves, CContextMenu.
#include "ComObject.h"

namespace kest {

class CClassFactory : public ComObject<CClassFactory, IClassFactory> {
public:
    static const InterfaceEntry* interfaceTable() noexcept;

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    // Server locks are not counted: the live-object count alone keeps the module loaded.
    STDMETHODIMP LockServer(BOOL lock) override;
};

}  // namespace kest
