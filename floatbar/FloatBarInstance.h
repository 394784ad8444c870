#pragma once
// One floating bar per session: the first start holds a named mutex; a later start finds
// the first one's window and asks it to show itself.
#include "UniqueHandle.h"

namespace kest {

class FloatBarInstance {
public:
    FloatBarInstance();
    // False when another instance held the mutex already.
    bool first() const noexcept { return first_; }

private:
    UniqueKernelHandle mutex_;
    bool first_ = false;
};

// Finds the running instance's window, waiting up to timeout milliseconds for one that is
// still starting, lets it take the foreground and posts it BringForwardCommandId. False
// when no window was found.
bool showRunningInstance(DWORD timeout);

}  // namespace kest
