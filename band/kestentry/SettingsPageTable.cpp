#include "SettingsPageTable.h"

namespace kest {

// Names as Windows 11 shows them; the addresses open the same pages on Windows 10. Each
// address is listed once: it is the entry's key in the index.
const SettingsPage SettingsPages[] = {
    // System
    {L"Display", L"ms-settings:display"},
    {L"Night light", L"ms-settings:nightlight"},
    {L"Graphics", L"ms-settings:display-advancedgraphics"},
    {L"Sound", L"ms-settings:sound"},
    {L"Volume mixer", L"ms-settings:apps-volume"},
    {L"Notifications", L"ms-settings:notifications"},
    {L"Focus assist", L"ms-settings:quiethours"},
    {L"Power & battery", L"ms-settings:powersleep"},
    {L"Battery saver", L"ms-settings:batterysaver"},
    {L"Storage", L"ms-settings:storagesense"},
    {L"Multitasking", L"ms-settings:multitasking"},
    {L"Projecting to this PC", L"ms-settings:project"},
    {L"Nearby sharing", L"ms-settings:crossdevice"},
    {L"Clipboard", L"ms-settings:clipboard"},
    {L"Remote Desktop", L"ms-settings:remotedesktop"},
    {L"Troubleshoot", L"ms-settings:troubleshoot"},
    {L"Recovery", L"ms-settings:recovery"},
    {L"Activation", L"ms-settings:activation"},
    {L"About", L"ms-settings:about"},
    // Bluetooth & devices
    {L"Bluetooth & devices", L"ms-settings:bluetooth"},
    {L"Printers & scanners", L"ms-settings:printers"},
    {L"Mouse", L"ms-settings:mousetouchpad"},
    {L"Touchpad", L"ms-settings:devices-touchpad"},
    {L"Pen & Windows Ink", L"ms-settings:pen"},
    {L"Typing", L"ms-settings:typing"},
    {L"AutoPlay", L"ms-settings:autoplay"},
    {L"USB", L"ms-settings:usb"},
    {L"Cameras", L"ms-settings:camera"},
    {L"Phone", L"ms-settings:mobile-devices"},
    // Network & internet
    {L"Network & internet", L"ms-settings:network-status"},
    {L"Wi-Fi", L"ms-settings:network-wifi"},
    {L"Ethernet", L"ms-settings:network-ethernet"},
    {L"VPN", L"ms-settings:network-vpn"},
    {L"Mobile hotspot", L"ms-settings:network-mobilehotspot"},
    {L"Airplane mode", L"ms-settings:network-airplanemode"},
    {L"Proxy", L"ms-settings:network-proxy"},
    {L"Dial-up", L"ms-settings:network-dialup"},
    {L"Data usage", L"ms-settings:datausage"},
    // Personalization
    {L"Personalization", L"ms-settings:personalization"},
    {L"Background", L"ms-settings:personalization-background"},
    {L"Colors", L"ms-settings:personalization-colors"},
    {L"Themes", L"ms-settings:themes"},
    {L"Lock screen", L"ms-settings:lockscreen"},
    {L"Start", L"ms-settings:personalization-start"},
    {L"Taskbar", L"ms-settings:taskbar"},
    {L"Fonts", L"ms-settings:fonts"},
    // Apps
    {L"Installed apps", L"ms-settings:appsfeatures"},
    {L"Default apps", L"ms-settings:defaultapps"},
    {L"Optional features", L"ms-settings:optionalfeatures"},
    {L"Apps for websites", L"ms-settings:appsforwebsites"},
    {L"Video playback", L"ms-settings:videoplayback"},
    {L"Offline maps", L"ms-settings:maps"},
    {L"Startup apps", L"ms-settings:startupapps"},
    // Accounts
    {L"Your info", L"ms-settings:yourinfo"},
    {L"Email & accounts", L"ms-settings:emailandaccounts"},
    {L"Sign-in options", L"ms-settings:signinoptions"},
    {L"Family & other users", L"ms-settings:otherusers"},
    {L"Access work or school", L"ms-settings:workplace"},
    {L"Windows backup", L"ms-settings:sync"},
    // Time & language
    {L"Date & time", L"ms-settings:dateandtime"},
    {L"Language & region", L"ms-settings:regionlanguage"},
    {L"Speech", L"ms-settings:speech"},
    // Gaming
    {L"Game Bar", L"ms-settings:gaming-gamebar"},
    {L"Captures", L"ms-settings:gaming-gamedvr"},
    {L"Game Mode", L"ms-settings:gaming-gamemode"},
    // Accessibility
    {L"Accessibility", L"ms-settings:easeofaccess"},
    {L"Text size", L"ms-settings:easeofaccess-display"},
    {L"Mouse pointer and touch", L"ms-settings:easeofaccess-mousepointer"},
    {L"Magnifier", L"ms-settings:easeofaccess-magnifier"},
    {L"Contrast themes", L"ms-settings:easeofaccess-highcontrast"},
    {L"Narrator", L"ms-settings:easeofaccess-narrator"},
    {L"Captions", L"ms-settings:easeofaccess-closedcaptioning"},
    {L"Keyboard", L"ms-settings:easeofaccess-keyboard"},
    // Privacy & security
    {L"Privacy & security", L"ms-settings:privacy"},
    {L"Windows Security", L"ms-settings:windowsdefender"},
    {L"Find my device", L"ms-settings:findmydevice"},
    {L"For developers", L"ms-settings:developers"},
    {L"Location", L"ms-settings:privacy-location"},
    {L"Microphone", L"ms-settings:privacy-microphone"},
    {L"Diagnostics & feedback", L"ms-settings:privacy-feedback"},
    {L"Activity history", L"ms-settings:privacy-activityhistory"},
    {L"Search permissions", L"ms-settings:search-permissions"},
    // Windows Update
    {L"Windows Update", L"ms-settings:windowsupdate"},
    {L"Delivery Optimization", L"ms-settings:delivery-optimization"},
    {L"Windows Insider Program", L"ms-settings:windowsinsider"},
    {L"Backup", L"ms-settings:backup"},
};

const unsigned SettingsPageCount = sizeof(SettingsPages) / sizeof(SettingsPages[0]);

}  // namespace kest
