#pragma once
// The host's side of a desk band in tests: a site with a window of its own that records
// the focus reports it receives.
#include "ComObject.h"
#include "ComPtr.h"
#include <docobj.h>
#include <shobjidl.h>

namespace kest::test {

// A site that offers its window (IOleWindow), unless told not to, focus reports
// (IInputObjectSite), and records the band's reports that its sizes changed (IOleCommandTarget).
class FakeBandSite : public ComObject<FakeBandSite, IOleWindow, IInputObjectSite, IOleCommandTarget> {
public:
    explicit FakeBandSite(HWND window, bool offersInputSite = true) noexcept
        : window_(window), offersInputSite_(offersInputSite) {}

    static const InterfaceEntry* interfaceTable() noexcept {
        static const InterfaceEntry table[] = {
            KEST_INTERFACE(FakeBandSite, IOleWindow),
            KEST_INTERFACE(FakeBandSite, IInputObjectSite),
            KEST_INTERFACE(FakeBandSite, IOleCommandTarget),
            KEST_INTERFACE_END,
        };
        return table;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!offersInputSite_ && IsEqualIID(iid, IID_IInputObjectSite)) {
            if (out) *out = nullptr;
            return E_NOINTERFACE;
        }
        return ComObject::QueryInterface(iid, out);
    }

    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return window_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    STDMETHODIMP OnFocusChangeIS(IUnknown* object, BOOL focused) override {
        ++focusReports;
        if (!focused) ++focusGivenBack;
        lastFocusFlag = focused;
        lastFocusObject.reset();
        if (object) object->QueryInterface(IID_IUnknown, lastFocusObject.putVoid());
        return S_OK;
    }

    STDMETHODIMP QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD, VARIANT* in, VARIANT*) override {
        if (!group || !IsEqualGUID(*group, CGID_DeskBand) || command != DBID_BANDINFOCHANGED)
            return OLECMDERR_E_NOTSUPPORTED;
        ++bandInfoChanges;
        bandInfoChangedId = in && in->vt == VT_I4 ? in->lVal : -1;
        return S_OK;
    }

    int bandInfoChanges = 0;
    LONG bandInfoChangedId = -1;  // the band id the last report carried; -1 without one
    int focusReports = 0;
    int focusGivenBack = 0;
    BOOL lastFocusFlag = -1;
    ComPtr<IUnknown> lastFocusObject;

private:
    HWND window_;
    bool offersInputSite_;
};

// Runs every message waiting for this thread.
inline void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A top-level strip window that stands for the taskbar, destroyed with the owner.
class HostStrip {
public:
    HostStrip(int width = 600, int height = 40) {
        window_ = CreateWindowExW(0, L"STATIC", L"host strip", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                  width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    HostStrip(const HostStrip&) = delete;
    HostStrip& operator=(const HostStrip&) = delete;
    ~HostStrip() {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
    }
    HWND hwnd() const noexcept { return window_; }

private:
    HWND window_ = nullptr;
};

}  // namespace kest::test
