#include "CHostedBand.h"
#include <new>

namespace kest {

namespace {
// How often a module that may not unload yet is asked again.
constexpr DWORD UnloadPollInterval = 10;
}  // namespace

HRESULT CHostedBand::open(IUnknown* band, HWND window, HostSiteEvents* events) {
    close();
    if (!band || !window) return E_INVALIDARG;
    ComPtr<IUnknown> object(band);
    ComPtr<IDeskBand> deskBand = object.query<IDeskBand>();
    ComPtr<IInputObject> input = object.query<IInputObject>();
    ComPtr<IObjectWithSite> withSite = object.query<IObjectWithSite>();
    if (!deskBand || !input || !withSite) return E_NOINTERFACE;
    ComPtr<CHostSite> site = ComPtr<CHostSite>::attach(new (std::nothrow) CHostSite(window, events));
    if (!site) return E_OUTOFMEMORY;
    const HRESULT result = withSite->SetSite(static_cast<IOleWindow*>(site.get()));
    if (FAILED(result)) {
        // The band may have made its window before it failed.
        deskBand->CloseDW(0);
        withSite->SetSite(nullptr);
        site->disconnect();
        return result;
    }
    band_ = std::move(deskBand);
    input_ = std::move(input);
    withSite_ = std::move(withSite);
    site_ = std::move(site);
    return result;
}

HRESULT CHostedBand::bandInfo(DWORD viewMode, DESKBANDINFO& info) const {
    if (!band_) return E_UNEXPECTED;
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS |
                  DBIM_BKCOLOR;
    return band_->GetBandInfo(0, viewMode, &info);
}

HWND CHostedBand::window() const noexcept {
    HWND window = nullptr;
    if (band_ && FAILED(band_->GetWindow(&window))) window = nullptr;
    return window;
}

void CHostedBand::show(bool visible) const {
    if (band_) band_->ShowDW(visible ? TRUE : FALSE);
}

void CHostedBand::activate() const {
    if (input_) input_->UIActivateIO(TRUE, nullptr);
}

bool CHostedBand::hasFocus() const { return input_ && input_->HasFocusIO() == S_OK; }

bool CHostedBand::translateAccelerator(MSG& message) const {
    return input_ && input_->TranslateAcceleratorIO(&message) == S_OK;
}

void CHostedBand::close() noexcept {
    if (band_) band_->CloseDW(0);
    if (withSite_) withSite_->SetSite(nullptr);
    input_.reset();
    withSite_.reset();
    band_.reset();  // the host's last reference
    if (site_) site_->disconnect();
    site_.reset();
}

bool CBandModuleFile::load(const std::wstring& path) {
    if (module_) return false;
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return false;
    canUnloadNow_ = reinterpret_cast<CanUnloadNowFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    getClassObject_ = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!canUnloadNow_ || !getClassObject_) {
        FreeLibrary(module);
        canUnloadNow_ = nullptr;
        getClassObject_ = nullptr;
        return false;
    }
    module_ = module;
    return true;
}

HRESULT CBandModuleFile::createObject(REFCLSID clsid, ComPtr<IUnknown>& object) const {
    object.reset();
    if (!getClassObject_) return E_UNEXPECTED;
    ComPtr<IClassFactory> factory;
    HRESULT result = getClassObject_(clsid, IID_IClassFactory, factory.putVoid());
    if (FAILED(result)) return result;
    if (!factory) return E_UNEXPECTED;
    return factory->CreateInstance(nullptr, IID_IUnknown, object.putVoid());
}

HRESULT CBandModuleFile::canUnloadNow() const { return canUnloadNow_ ? canUnloadNow_() : S_OK; }

HRESULT CBandModuleFile::unloadIfUnused() noexcept {
    if (!module_) return S_OK;
    const HRESULT result = canUnloadNow();
    if (result != S_OK) return result;  // live objects would run code of a freed module
    FreeLibrary(module_);
    module_ = nullptr;
    canUnloadNow_ = nullptr;
    getClassObject_ = nullptr;
    return S_OK;
}

HRESULT CBandModuleFile::unloadWhenUnused(DWORD patience) noexcept {
    const ULONGLONG start = GetTickCount64();
    while (canUnloadNow() != S_OK && GetTickCount64() - start < patience) Sleep(UnloadPollInterval);
    return unloadIfUnused();
}

}  // namespace kest
