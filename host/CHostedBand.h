#pragma once
// One desk band as its host holds it: sited on the host's window, asked for its sizes,
// shown, given the keys while it has the focus, and closed in the taskbar's order
// (CloseDW, SetSite(NULL), the last Release).
#include "CHostSite.h"
#include "ComPtr.h"
#include <shlobj.h>
#include <shobjidl.h>
#include <string>

namespace kest {

class CHostedBand {
public:
    CHostedBand() = default;
    CHostedBand(const CHostedBand&) = delete;
    CHostedBand& operator=(const CHostedBand&) = delete;
    ~CHostedBand() { close(); }

    // Takes the band object and sites it on window. The result of SetSite; E_NOINTERFACE
    // when the object is no desk band. On failure nothing is held.
    HRESULT open(IUnknown* band, HWND window, HostSiteEvents* events);
    bool isOpen() const noexcept { return band_.get() != nullptr; }

    // GetBandInfo for band identifier 0 in viewMode, every field asked for.
    HRESULT bandInfo(DWORD viewMode, DESKBANDINFO& info) const;
    // The band's own window (a child of the host's window), or null.
    HWND window() const noexcept;
    void show(bool visible) const;
    // UIActivateIO(TRUE): the band takes the keyboard focus.
    void activate() const;
    bool hasFocus() const;
    // For a key message while the band has the focus: true when the band consumed it.
    bool translateAccelerator(MSG& message) const;
    CHostSite* site() const noexcept { return site_.get(); }

    // CloseDW, SetSite(NULL) and every reference released; the site is disconnected.
    void close() noexcept;

private:
    ComPtr<IDeskBand> band_;
    ComPtr<IInputObject> input_;
    ComPtr<IObjectWithSite> withSite_;
    ComPtr<CHostSite> site_;
};

// The band module loaded from its file and reached through its exports, as COM reaches an
// in-process server; it works without the class being registered.
class CBandModuleFile {
public:
    CBandModuleFile() = default;
    CBandModuleFile(const CBandModuleFile&) = delete;
    CBandModuleFile& operator=(const CBandModuleFile&) = delete;
    // Frees the module only when it reports that it may unload.
    ~CBandModuleFile() { unloadIfUnused(); }

    bool load(const std::wstring& path);
    bool loaded() const noexcept { return module_ != nullptr; }
    // A new object of clsid from the module's class factory.
    HRESULT createObject(REFCLSID clsid, ComPtr<IUnknown>& object) const;
    // DllCanUnloadNow; S_OK when the module is not (or no longer) loaded.
    HRESULT canUnloadNow() const;
    // Frees the module when DllCanUnloadNow says S_OK; returns that answer.
    HRESULT unloadIfUnused() noexcept;
    // The same, asking again for up to patience milliseconds while it says S_FALSE: the
    // module's threads end on their own after the last Release, one of them perhaps in the
    // middle of a step.
    HRESULT unloadWhenUnused(DWORD patience) noexcept;

private:
    using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();
    using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

    HMODULE module_ = nullptr;  // freed by unloadIfUnused only
    CanUnloadNowFunction canUnloadNow_ = nullptr;
    GetClassObjectFunction getClassObject_ = nullptr;
};

}  // namespace kest
