#pragma once
// The settings program's help, shown through the HTML Help control.
namespace kest {

constexpr const wchar_t* StartMenuHelpTopic = L"kesthelp.chm::/settings.htm#thesettingsdialog";
constexpr const wchar_t* ContextMenuHelpTopic = L"kesthelp.chm::/settings.htm#configcontextmenu";

// Shows a topic with HH_DISPLAY_TOPIC; true when a help window opened. hhctrl.ocx is
// loaded from the system folder on first use and kept; without it nothing happens.
bool ShowHelpTopic(const wchar_t* topic);

// Closes every help window this program opened (HH_CLOSE_ALL) and unloads the control; the
// program calls it before it ends, while COM is still initialised.
void CloseHelpWindows() noexcept;

}  // namespace kest
