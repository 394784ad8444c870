#include "ComObject.h"

namespace kest {

volatile LONG LiveObjectCount::count_ = 0;

HRESULT queryInterfaceTable(void* object, const InterfaceEntry* table, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const InterfaceEntry* entry = table; entry->iid; ++entry) {
        if (IsEqualIID(iid, *entry->iid) || (entry == table && IsEqualIID(iid, IID_IUnknown))) {
            auto* itf = reinterpret_cast<IUnknown*>(static_cast<char*>(object) + entry->offset);
            itf->AddRef();
            *out = itf;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

}  // namespace kest
