#pragma once
// The band's about box (template 7201): product name and version, the product icon, the
// maker's notice, a donation link and a button that opens "contributors.txt" from the band's
// folder. Modal; the donation link closes it with 0, OK with IDOK, Escape with IDCANCEL.
#include "CMyHyperLink.h"
#include "UniqueHandle.h"
#include "Window.h"
#include "resource.h"

namespace kest {

class CAboutDlg : public CDialog {
    KEST_BEGIN_MESSAGE_TABLE(CAboutDlg, CDialog)
        KEST_ON_MESSAGE(WM_INITDIALOG, OnInitDialog)
        KEST_ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColorStatic)
        KEST_ON_COMMAND(IDC_DONATE_LINK, STN_CLICKED, OnDonationLink)
        KEST_ON_COMMAND(IDC_CONTRIBUTORS, BN_CLICKED, OnContributors)
        KEST_ON_COMMAND(IDOK, BN_CLICKED, OnOk)
        KEST_ON_COMMAND(IDCANCEL, BN_CLICKED, OnCancel)
    KEST_END_MESSAGE_TABLE()

public:
    // Shows the box from the band module's resources and returns how it was closed.
    INT_PTR show(HWND owner);

    CMyHyperLink& donationLink() noexcept { return donationLink_; }

    // Opens "contributors.txt" from the band module's folder through the shell.
    static void openContributors();

private:
    LRESULT OnInitDialog(WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM dc, LPARAM control);
    void OnDonationLink(UINT, UINT, HWND);
    void OnContributors(UINT, UINT, HWND);
    void OnOk(UINT, UINT, HWND);
    void OnCancel(UINT, UINT, HWND);

    CMyHyperLink donationLink_;
    UniqueHIcon smallIcon_;  // the window's icons; the window does not destroy them
    UniqueHIcon largeIcon_;
};

}  // namespace kest
