#include "BandActivationScope.h"
#include "UniqueHandle.h"
#include "search/ModuleFolder.h"

namespace kest {

namespace {

// Made from the module's manifest on first use; released when the module unloads. Without
// a manifest resource (the band's code linked into another program) nothing is activated.
HANDLE bandActivationContext() noexcept {
    static const UniqueActCtx context(createModuleActivationContext(bandModule()));
    return context.get();
}

}  // namespace

BandActivationScope::BandActivationScope() noexcept : ActivationScope(bandActivationContext()) {}

}  // namespace kest
