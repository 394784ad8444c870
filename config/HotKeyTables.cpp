#include <windows.h>
#include "HotKeyTables.h"

namespace kest {

namespace {
constexpr unsigned int modifierTable[HotKeyModifierCount] = {MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN};
}  // namespace

unsigned int hotKeyModifierAt(int index) noexcept {
    return index >= 0 && index < HotKeyModifierCount ? modifierTable[index] : UnselectedHotKeyModifier;
}

// Space, Esc, F10 down to F1, then A to Z.
unsigned int hotKeyKeyAt(int index) noexcept {
    if (index == 0) return VK_SPACE;
    if (index == 1) return VK_ESCAPE;
    if (index >= 2 && index <= 11) return static_cast<unsigned int>(123 - index);
    if (index >= 12 && index < HotKeyKeyCount) return static_cast<unsigned int>(53 + index);
    return UnselectedHotKeyKey;
}

int hotKeyModifierIndex(unsigned int modifiers) noexcept {
    for (int index = 0; index < HotKeyModifierCount; ++index)
        if (modifierTable[index] == modifiers) return index;
    return -1;
}

int hotKeyKeyIndex(unsigned int virtualKey) noexcept {
    for (int index = 0; index < HotKeyKeyCount; ++index)
        if (hotKeyKeyAt(index) == virtualKey) return index;
    return -1;
}

}  // namespace kest
