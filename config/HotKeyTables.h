#pragma once
// The hot-key choices the Start Menu page offers: four single modifiers and 38 keys, by
// their index in the page's combo boxes. Values outside the tables have no index.
namespace kest {

constexpr int HotKeyModifierCount = 4;
constexpr int HotKeyKeyCount = 38;
// What an empty combo box stands for.
constexpr unsigned int UnselectedHotKeyModifier = MOD_WIN;
constexpr unsigned int UnselectedHotKeyKey = 0x53;  // S

// The combo index of a stored "hotkeyMod" or "hotkeyVKey"; -1 when the table lacks it.
int hotKeyModifierIndex(unsigned int modifiers) noexcept;
int hotKeyKeyIndex(unsigned int virtualKey) noexcept;
// The value to store for a combo index; an index outside the table (no selection) gives
// the unselected value.
unsigned int hotKeyModifierAt(int index) noexcept;
unsigned int hotKeyKeyAt(int index) noexcept;

}  // namespace kest
