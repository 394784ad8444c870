#pragma once
// The band module as the shell sees it: loaded from the build's output folder and reached
// only through its exports.
#include "ComPtr.h"
#include "UniqueHandle.h"
#include <gtest/gtest.h>
#include <string>

namespace kest::test {

// {1156C8BE-FA98-4DEC-BCD1-F83850487688}
constexpr CLSID BandClassId = {0x1156c8be, 0xfa98, 0x4dec, {0xbc, 0xd1, 0xf8, 0x38, 0x50, 0x48, 0x76, 0x88}};
constexpr wchar_t BandClassIdText[] = L"{1156C8BE-FA98-4DEC-BCD1-F83850487688}";

// A file of the output folder as a Windows path (Wine maps the Unix root to drive Z:).
inline std::wstring outputFile(const wchar_t* name) {
    const std::string folder = KEST_OUTPUT_DIR;
    std::wstring path = L"Z:";
    for (char c : folder) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path + L"\\" + name;
}

class BandModule {
public:
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using RegisterFunction = HRESULT(STDAPICALLTYPE*)();

    BandModule() : module_(LoadLibraryW(outputFile(L"kestbar.dll").c_str())) {
        if (!module_) return;
        canUnloadNow = reinterpret_cast<CanUnloadNow>(procedure("DllCanUnloadNow"));
        getClassObject = reinterpret_cast<GetClassObject>(procedure("DllGetClassObject"));
        registerServer = reinterpret_cast<RegisterFunction>(procedure("DllRegisterServer"));
        unregisterServer = reinterpret_cast<RegisterFunction>(procedure("DllUnregisterServer"));
    }
    bool loaded() const noexcept {
        return module_ && canUnloadNow && getClassObject && registerServer && unregisterServer;
    }
    HMODULE handle() const noexcept { return module_.get(); }

    // A new band through the module's class factory, or null.
    ComPtr<IUnknown> createBand() const {
        ComPtr<IClassFactory> factory;
        ComPtr<IUnknown> band;
        if (SUCCEEDED(getClassObject(BandClassId, IID_IClassFactory, factory.putVoid())))
            factory->CreateInstance(nullptr, IID_IUnknown, band.putVoid());
        return band;
    }

    // DllCanUnloadNow, asked again for up to patience milliseconds while it says S_FALSE, as a
    // host that polls would: the band's threads end on their own after the band closed.
    HRESULT canUnloadWithin(DWORD patience) const {
        const ULONGLONG start = GetTickCount64();
        HRESULT result = canUnloadNow();
        for (; result != S_OK && GetTickCount64() - start < patience; result = canUnloadNow()) Sleep(10);
        return result;
    }

    CanUnloadNow canUnloadNow = nullptr;
    GetClassObject getClassObject = nullptr;
    RegisterFunction registerServer = nullptr;
    RegisterFunction unregisterServer = nullptr;

private:
    void* procedure(const char* name) const {
        return reinterpret_cast<void*>(GetProcAddress(module_.get(), name));
    }
    UniqueHModule module_;
};

}  // namespace kest::test
