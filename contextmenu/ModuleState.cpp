#include "ShellExtModule.h"
#include "ComObject.h"

namespace kest {

const CLSID CLSID_KestContextMenu = {0xB65F196D, 0xE650, 0x466A, {0x9B, 0x02, 0xAB, 0x02, 0xB0, 0xDD, 0x2A, 0x87}};

namespace {
HINSTANCE instance_ = nullptr;

HANDLE activationContext_ = INVALID_HANDLE_VALUE;
bool activationContextTried_ = false;

// Created from the module's manifest (resource 2) on first use, released when the module unloads.
HANDLE moduleActivationContext() noexcept {
    if (!activationContextTried_) {
        activationContextTried_ = true;
        activationContext_ = createModuleActivationContext(instance_);
    }
    return activationContext_;
}
}  // namespace

void releaseModuleActivationContext() noexcept {
    if (activationContext_ != INVALID_HANDLE_VALUE) ReleaseActCtx(activationContext_);
    activationContext_ = INVALID_HANDLE_VALUE;
}

HINSTANCE moduleInstance() noexcept { return instance_; }
void setModuleInstance(HINSTANCE instance) noexcept { instance_ = instance; }

LONG liveObjectCount() noexcept { return LiveObjectCount::value(); }

ModuleActivationScope::ModuleActivationScope() noexcept : ActivationScope(moduleActivationContext()) {}

}  // namespace kest
