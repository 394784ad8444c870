#pragma once
// The pages of the Settings app that the band lists: each page's English name and the
// "ms-settings:" address that opens it, as Microsoft's ms-settings URI reference gives them.

namespace kest {

struct SettingsPage {
    const wchar_t* name;
    const wchar_t* address;
};

extern const SettingsPage SettingsPages[];
extern const unsigned SettingsPageCount;

}  // namespace kest
