#include "CAboutDlg.h"
#include "AccessoryRules.h"
#include "BandActivationScope.h"
#include "search/ModuleFolder.h"
#include "ProductAddresses.h"
#include <shellapi.h>

namespace kest {

INT_PTR CAboutDlg::show(HWND owner) {
    // The box and its controls come from the band's own manifest, as the bar's do.
    BandActivationScope activation;
    return doModal(bandModule(), IDD_ABOUT, owner);
}

LRESULT CAboutDlg::OnInitDialog(WPARAM, LPARAM) {
    smallIcon_.reset(static_cast<HICON>(
        LoadImageW(bandModule(), MAKEINTRESOURCEW(IDI_PRODUCT), IMAGE_ICON, 16, 16, LR_VGACOLOR)));
    largeIcon_.reset(static_cast<HICON>(
        LoadImageW(bandModule(), MAKEINTRESOURCEW(IDI_PRODUCT), IMAGE_ICON, 32, 32, LR_VGACOLOR)));
    send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));

    donationLink_.bind(hwnd_, IDC_DONATE_LINK);
    donationLink_.setTargetAddress(DonationAddress);

    RECT window{}, desktop{};
    GetWindowRect(hwnd_, &window);
    GetWindowRect(GetDesktopWindow(), &desktop);
    const POINT origin = centredOrigin(window, desktop);
    SetWindowPos(hwnd_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

LRESULT CAboutDlg::OnCtlColorStatic(WPARAM dc, LPARAM control) {
    if (!donationLink_.attached() || reinterpret_cast<HWND>(control) != donationLink_.hwnd()) {
        passToDefault();
        return 0;
    }
    return reinterpret_cast<LRESULT>(donationLink_.OnCtlColor(reinterpret_cast<HDC>(dc)));
}

void CAboutDlg::OnDonationLink(UINT, UINT, HWND) {
    donationLink_.openTarget();
    endDialog(0);
}

void CAboutDlg::openContributors() {
    const std::wstring folder = bandModuleFolder();
    const std::wstring file = contributorsFilePath(folder);
    if (file.empty()) return;
    ShellExecuteW(nullptr, nullptr, file.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

void CAboutDlg::OnContributors(UINT, UINT, HWND) { openContributors(); }

void CAboutDlg::OnOk(UINT, UINT, HWND) { endDialog(IDOK); }

void CAboutDlg::OnCancel(UINT, UINT, HWND) { endDialog(IDCANCEL); }

}  // namespace kest
