#pragma once
// A COM object base that writes QueryInterface, AddRef and Release once, from an
// interface table. Objects are apartment-threaded: reference counts are plain integers.
#include <objbase.h>
#include <cstddef>
#include <new>

namespace kest {

// The module's one count of live objects; it alone decides whether the module may unload.
// Interlocked, because a worker thread that runs the module's code counts as well.
class LiveObjectCount {
public:
    static void increment() noexcept { InterlockedIncrement(&count_); }
    static void decrement() noexcept { InterlockedDecrement(&count_); }
    static LONG value() noexcept { return InterlockedCompareExchange(&count_, 0, 0); }

private:
    static volatile LONG count_;
};

struct InterfaceEntry {
    const IID* iid;
    std::ptrdiff_t offset;  // from the object to the interface's vtable pointer
};

// Offset of the Interface sub-object inside Class, reached through Via (so an inherited
// interface such as IOleWindow is answered by the IDeskBand sub-object).
template <class Class, class Interface, class Via = Interface>
std::ptrdiff_t interfaceOffset() noexcept {
    const std::ptrdiff_t base = 0x1000;
    Class* object = reinterpret_cast<Class*>(base);
    Interface* itf = static_cast<Interface*>(static_cast<Via*>(object));
    return reinterpret_cast<std::ptrdiff_t>(itf) - base;
}

// Looks iid up in a table ending with a null iid. IUnknown is answered by the first entry.
HRESULT queryInterfaceTable(void* object, const InterfaceEntry* table, REFIID iid, void** out) noexcept;

// Derived lists its interfaces in `static const InterfaceEntry* interfaceTable()`.
// Bases is the list of interfaces Derived inherits from; the first must derive from IUnknown.
template <class Derived, class... Bases>
class ComObject : public Bases... {
public:
    ComObject() noexcept { LiveObjectCount::increment(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() { LiveObjectCount::decrement(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return queryInterfaceTable(static_cast<Derived*>(this), Derived::interfaceTable(), iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG remaining = --references_;
        if (remaining == 0) delete this;
        return remaining;
    }

    ULONG referenceCount() const noexcept { return references_; }

private:
    ULONG references_ = 1;  // the creator's reference
};

// Creates T with its creation reference, asks it for iid and drops the creation
// reference, so a refused interface destroys the new object.
template <class T>
HRESULT createComObject(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    T* object = new (std::nothrow) T();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
}

}  // namespace kest

#define KEST_INTERFACE(Class, Interface) \
    { &__uuidof(Interface), ::kest::interfaceOffset<Class, Interface>() }
#define KEST_INTERFACE_VIA(Class, Interface, Via) \
    { &__uuidof(Interface), ::kest::interfaceOffset<Class, Interface, Via>() }
#define KEST_INTERFACE_END \
    { nullptr, 0 }
