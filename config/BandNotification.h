#pragma once
// Telling a running search bar to reload its settings.
namespace kest {

// The class of the band's hidden notification window and the reload command it takes.
constexpr const wchar_t* NotificationWindowClass = L"BB676CE4-D76C-409b-9F4F-1ADC302DB669";
constexpr unsigned int ReloadCommandId = 3008;

// Posts the reload command to the notification window of every running band without
// waiting; true when a band was found.
bool NotifyRunningBand();

}  // namespace kest
