#include "HotKeyRegistration.h"
#include <cwchar>

namespace kest {

HotKeyStatus registerStoredHotKey(HWND window, int id, bool otherBandsRun) {
    HotKeyStatus status;
    status.key = readHotKey();
    // A second registration under the same window and id would keep the old combination
    // active on Windows, so the old one always goes first.
    UnregisterHotKey(window, id);
    if (status.key.disabled) {
        deleteHotKeyOutcome();
        return status;
    }
    const unsigned int modifiers = status.key.modifiers, virtualKey = status.key.virtualKey;
    if (RegisterHotKey(window, id, modifiers, virtualKey)) {
        status.state = HotKeyState::Held;
    } else if (otherBandsRun && readHotKeyOutcome().holds(modifiers, virtualKey)) {
        status.state = HotKeyState::HeldByAnother;
        return status;
    } else {
        status.state = HotKeyState::Taken;
    }
    HotKeyOutcome outcome;
    outcome.tried = status.key;
    outcome.registered = status.state == HotKeyState::Held;
    writeHotKeyOutcome(outcome);
    return status;
}

namespace {

std::wstring keyName(unsigned int virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return std::wstring(1, static_cast<wchar_t>(virtualKey));
    if (virtualKey >= VK_F1 && virtualKey <= VK_F24) return L"F" + std::to_wstring(virtualKey - VK_F1 + 1);
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) return L"Num " + std::to_wstring(virtualKey - VK_NUMPAD0);
    struct NamedKey {
        unsigned int key;
        const wchar_t* name;
    };
    static const NamedKey names[] = {
        {VK_SPACE, L"Space"},   {VK_ESCAPE, L"Esc"},     {VK_RETURN, L"Enter"}, {VK_TAB, L"Tab"},
        {VK_BACK, L"Backspace"}, {VK_INSERT, L"Insert"},  {VK_DELETE, L"Delete"}, {VK_HOME, L"Home"},
        {VK_END, L"End"},       {VK_PRIOR, L"Page Up"},  {VK_NEXT, L"Page Down"}, {VK_LEFT, L"Left"},
        {VK_RIGHT, L"Right"},   {VK_UP, L"Up"},          {VK_DOWN, L"Down"},    {VK_PAUSE, L"Pause"},
        {VK_SNAPSHOT, L"Print Screen"},
    };
    for (const NamedKey& named : names)
        if (named.key == virtualKey) return named.name;
    wchar_t code[16] = {};
    swprintf(code, 16, L"0x%02X", virtualKey);
    return code;
}

}  // namespace

std::wstring hotKeyName(unsigned int modifiers, unsigned int virtualKey) {
    std::wstring name;
    if (modifiers & MOD_CONTROL) name += L"Ctrl+";
    if (modifiers & MOD_ALT) name += L"Alt+";
    if (modifiers & MOD_SHIFT) name += L"Shift+";
    if (modifiers & MOD_WIN) name += L"Win+";
    return name + keyName(virtualKey);
}

std::wstring searchBoxToolTipText(const std::wstring& productName, const HotKeyStatus& status) {
    if (status.state == HotKeyState::Disabled) return productName;
    const std::wstring key = hotKeyName(status.key.modifiers, status.key.virtualKey);
    if (status.state == HotKeyState::Taken) return productName + L" (" + key + L" is in use)";
    return productName + L" (" + key + L")";
}

}  // namespace kest
