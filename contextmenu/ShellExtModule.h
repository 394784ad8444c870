#pragma once
// What the context-menu extension's objects need from their module.
#include "ActivationScope.h"
#include <windows.h>

namespace kest {

// {B65F196D-E650-466A-9B02-AB02B0DD2A87}, the only class the module serves.
extern const CLSID CLSID_KestContextMenu;

// The module's own instance, for its resources; set when the module is loaded.
HINSTANCE moduleInstance() noexcept;
void setModuleInstance(HINSTANCE instance) noexcept;

// The number of class-factory and handler objects alive; 0 lets the module unload.
LONG liveObjectCount() noexcept;

// Releases what ModuleActivationScope created; called when the module unloads.
void releaseModuleActivationContext() noexcept;

// Activates the module's manifest (version 6 of the common controls) for the dialog and
// message boxes the module shows, while it is in scope.
class ModuleActivationScope : public ActivationScope {
public:
    ModuleActivationScope() noexcept;
};

}  // namespace kest
