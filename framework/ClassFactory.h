#pragma once
// One generic class factory, driven by a table of {class id, create function}.
#include "ComObject.h"

namespace kest {

using CreateFunction = HRESULT (*)(REFIID iid, void** out);

struct ClassEntry {
    const CLSID* clsid;
    CreateFunction create;
};

class ClassFactory : public ComObject<ClassFactory, IClassFactory> {
public:
    explicit ClassFactory(const ClassEntry& entry) noexcept : entry_(entry) {}
    static const InterfaceEntry* interfaceTable() noexcept;

    const CLSID& classId() const noexcept { return *entry_.clsid; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    const ClassEntry& entry_;
};

// DllGetClassObject over a table ending with a null class id: *out is null unless S_OK;
// an unknown class id gives CLASS_E_CLASSNOTAVAILABLE.
HRESULT getClassObject(const ClassEntry* table, REFCLSID clsid, REFIID iid, void** out) noexcept;

}  // namespace kest
