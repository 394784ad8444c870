#pragma once
// The floating bar's menu, shown by its notification-area icon and by its grip.
#include "UniqueHandle.h"

namespace kest {

// "Show Bar" (checked while the bar is shown, the default item), "Settings...", a separator
// and "Exit". Null when the menu cannot be made.
UniqueHMenu createFloatBarMenu(bool barShown);

}  // namespace kest
