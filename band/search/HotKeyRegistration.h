#pragma once
// Registering the band's hot key, recording how that went for the settings program, and
// the name the search box's tool tip gives the combination.
#include "SearchBarSettings.h"
#include <windows.h>
#include <string>

namespace kest {

enum class HotKeyState {
    Disabled,       // not tried
    Held,           // this band registered it
    HeldByAnother,  // another running band holds this same combination
    Taken,          // some other program holds it
};

struct HotKeyStatus {
    HotKeyState state = HotKeyState::Disabled;
    HotKeySetting key;
};

// Registers the stored hot key on window under id, the old registration released first,
// and records the outcome in the settings key. A failure while the record says that
// another running band holds the same combination is that band's key, and the record stays.
HotKeyStatus registerStoredHotKey(HWND window, int id, bool otherBandsRun);

// "Ctrl+Alt+F12", "Win+S", "Alt+Space": the modifiers in the order Ctrl, Alt, Shift, Win,
// then the key; a key without a name of its own is shown as its code ("0x5D").
std::wstring hotKeyName(unsigned int modifiers, unsigned int virtualKey);

// "Kestrune (Win+S)" while a band holds the key, "Kestrune (Win+S is in use)" when another
// program holds it, the product name alone when the key is disabled.
std::wstring searchBoxToolTipText(const std::wstring& productName, const HotKeyStatus& status);

}  // namespace kest
