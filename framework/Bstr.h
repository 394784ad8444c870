#pragma once
// Owners of a BSTR and a VARIANT.
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <utility>

namespace kest {

class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(const wchar_t* text) : value_(text ? SysAllocString(text) : nullptr) {}
    explicit Bstr(const std::wstring& text)
        : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = std::exchange(other.value_, nullptr);
        }
        return *this;
    }
    ~Bstr() { reset(); }

    BSTR get() const noexcept { return value_; }
    // A null BSTR is the empty string.
    std::wstring str() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }
    void reset() noexcept {
        if (value_) SysFreeString(std::exchange(value_, nullptr));
    }
    BSTR* put() noexcept {
        reset();
        return &value_;
    }

private:
    BSTR value_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    explicit Variant(const wchar_t* text) noexcept {
        VariantInit(&value_);
        value_.vt = VT_BSTR;
        value_.bstrVal = SysAllocString(text);
        if (!value_.bstrVal) value_.vt = VT_EMPTY;
    }
    explicit Variant(long number) noexcept {
        VariantInit(&value_);
        value_.vt = VT_I4;
        value_.lVal = number;
    }
    explicit Variant(bool flag) noexcept {
        VariantInit(&value_);
        value_.vt = VT_BOOL;
        value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    }
    // Holds a reference of its own to the interface.
    explicit Variant(IUnknown* unknown) noexcept {
        VariantInit(&value_);
        value_.vt = VT_UNKNOWN;
        value_.punkVal = unknown;
        if (unknown) unknown->AddRef();
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    const VARIANT& get() const noexcept { return value_; }
    VARIANT* put() noexcept {
        VariantClear(&value_);
        return &value_;
    }
    // The text of a VT_BSTR variant; empty for any other type.
    std::wstring str() const {
        if (value_.vt != VT_BSTR || !value_.bstrVal) return std::wstring();
        return std::wstring(value_.bstrVal, SysStringLen(value_.bstrVal));
    }

private:
    VARIANT value_;
};

}  // namespace kest
