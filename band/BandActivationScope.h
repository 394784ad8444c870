#pragma once
// The band module's own manifest (version 6 of the common controls) as the active
// activation context while in scope.
#include "ActivationScope.h"

namespace kest {

class BandActivationScope : public ActivationScope {
public:
    BandActivationScope() noexcept;
};

}  // namespace kest
