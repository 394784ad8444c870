#pragma once
// The web addresses the band offers; all are opened through the shell.

namespace kest {

// The product's web page (the bar's "Official Web Site..." command).
constexpr const wchar_t* ProductWebPageAddress = L"https://kestrune.brindlewood.example/";
// The page that takes donations (the about box's link).
constexpr const wchar_t* DonationAddress = L"https://kestrune.brindlewood.example/donate";

}  // namespace kest
