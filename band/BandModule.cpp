// The band's COM entry points and its module start-up.
#include "deskband/CBandApp.h"
#include "deskband/CClassFactory.h"
#include <windows.h>
#include <objbase.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        return kest::CBandApp::instance().initInstance(module) ? TRUE : FALSE;
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return kest::CBandApp::objectCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return kest::getBandClassObject(clsid, iid, out);
}

STDAPI DllRegisterServer() { return kest::CBandApp::instance().registerServer(); }

STDAPI DllUnregisterServer() { return kest::CBandApp::instance().unregisterServer(); }
