#include "ActivationScope.h"

namespace kest {

HANDLE createModuleActivationContext(HMODULE module) noexcept {
    ACTCTXW description{sizeof(description)};
    description.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.hModule = module;
    description.lpResourceName = MAKEINTRESOURCEW(2);
    return CreateActCtxW(&description);
}

ActivationScope::ActivationScope(HANDLE context) noexcept {
    if (context != INVALID_HANDLE_VALUE) active_ = ActivateActCtx(context, &cookie_) != FALSE;
}

ActivationScope::~ActivationScope() {
    if (active_) DeactivateActCtx(0, cookie_);
}

}  // namespace kest
