#pragma once
// The band module's own manifest (resource 2, version 6 of the common controls) made the
// active activation context while in scope. A host process may carry a manifest of its own
// or none; windows the band creates inside the scope get the controls its manifest asks for
// in any host.
#include <windows.h>

namespace kest {

class BandActivationScope {
public:
    BandActivationScope() noexcept;
    BandActivationScope(const BandActivationScope&) = delete;
    BandActivationScope& operator=(const BandActivationScope&) = delete;
    ~BandActivationScope();

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

}  // namespace kest
