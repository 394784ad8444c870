#include "ModuleThread.h"
#include "ComObject.h"

namespace kest {

namespace {

HMODULE thisModule(DWORD flags) noexcept {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | flags,
                       reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&CreateModuleThread)), &module);
    return module;
}

}  // namespace

HANDLE CreateModuleThread(LPTHREAD_START_ROUTINE routine, void* parameter) noexcept {
    LiveObjectCount::increment();
    HMODULE module = thisModule(0);
    HANDLE thread = CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
    if (!thread) {
        if (module) FreeLibrary(module);
        LiveObjectCount::decrement();
    }
    return thread;
}

void ExitModuleThread(DWORD code) noexcept {
    LiveObjectCount::decrement();
    if (HMODULE module = thisModule(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)) FreeLibraryAndExitThread(module, code);
    ExitThread(code);
}

}  // namespace kest
