#include "BandActivationScope.h"
#include "UniqueHandle.h"
#include "search/ModuleFolder.h"

namespace kest {

namespace {

// Made from the module's manifest on first use; released when the module unloads. Without
// a manifest resource (the band's code linked into another program) nothing is activated.
HANDLE bandActivationContext() noexcept {
    static const UniqueActCtx context = [] {
        ACTCTXW description{sizeof(description)};
        description.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        description.hModule = bandModule();
        description.lpResourceName = MAKEINTRESOURCEW(2);
        return UniqueActCtx(CreateActCtxW(&description));
    }();
    return context.get();
}

}  // namespace

BandActivationScope::BandActivationScope() noexcept {
    const HANDLE context = bandActivationContext();
    if (context != INVALID_HANDLE_VALUE) active_ = ActivateActCtx(context, &cookie_) != FALSE;
}

BandActivationScope::~BandActivationScope() {
    if (active_) DeactivateActCtx(0, cookie_);
}

}  // namespace kest
