#pragma once
// Owner of one COM interface reference.
#include <objbase.h>
#include <utility>

namespace kest {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference to p.
    explicit ComPtr(T* p) noexcept : ptr_(p) {
        if (ptr_) ptr_->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.ptr_) {}
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(const ComPtr& other) noexcept {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference the caller already owns.
    static ComPtr attach(T* p) noexcept {
        ComPtr result;
        result.ptr_ = p;
        return result;
    }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    void reset() noexcept {
        if (T* p = std::exchange(ptr_, nullptr)) p->Release();
    }
    T* detach() noexcept { return std::exchange(ptr_, nullptr); }
    // Releases what is held before handing out the address.
    T** put() noexcept {
        reset();
        return &ptr_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }
    void swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

    // The result is null when the object does not answer U.
    template <class U>
    ComPtr<U> query() const noexcept {
        ComPtr<U> result;
        if (ptr_) ptr_->QueryInterface(__uuidof(U), result.putVoid());
        return result;
    }
    template <class U>
    HRESULT queryTo(const IID& iid, U** out) const noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        return ptr_ ? ptr_->QueryInterface(iid, reinterpret_cast<void**>(out)) : E_NOINTERFACE;
    }

private:
    T* ptr_ = nullptr;
};

template <class T>
HRESULT createInstance(const CLSID& clsid, const IID& iid, ComPtr<T>& out,
                       DWORD context = CLSCTX_INPROC_SERVER) noexcept {
    return CoCreateInstance(clsid, nullptr, context, iid, out.putVoid());
}

// Pairs CoInitialize with CoUninitialize on the same thread.
class ComInitialization {
public:
    explicit ComInitialization(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : result_(CoInitializeEx(nullptr, model)) {}
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    ~ComInitialization() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    HRESULT result() const noexcept { return result_; }

private:
    HRESULT result_;
};

}  // namespace kest
