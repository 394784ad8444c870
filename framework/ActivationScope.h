#pragma once
// A module's own manifest as an activation context, and a scope in which that context is the
// active one. A host process may carry a manifest of its own or none; windows a module creates
// inside the scope get the common controls its own manifest asks for, in any host.
#include <windows.h>

namespace kest {

// The context of the manifest that module carries as resource 2 (a library's manifest);
// INVALID_HANDLE_VALUE when it has none. The caller owns it (UniqueActCtx).
HANDLE createModuleActivationContext(HMODULE module) noexcept;

class ActivationScope {
public:
    // Activates context unless it is INVALID_HANDLE_VALUE; deactivates it on leaving.
    explicit ActivationScope(HANDLE context) noexcept;
    ActivationScope(const ActivationScope&) = delete;
    ActivationScope& operator=(const ActivationScope&) = delete;
    ~ActivationScope();

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

}  // namespace kest
