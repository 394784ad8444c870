#pragma once
// The modal dialog of "Run with command line arguments...": shows the file's path and
// edits the argument text, which on OK is written back into the caller's string.
#include "Window.h"
#include <string>

namespace kest {

class CRunParamsDlg : public CDialog {
    KEST_BEGIN_MESSAGE_TABLE(CRunParamsDlg, CDialog)
        KEST_ON_MESSAGE(WM_INITDIALOG, OnInitDialog)
        KEST_ON_COMMAND(IDOK, BN_CLICKED, OnOk)
        KEST_ON_COMMAND(IDCANCEL, BN_CLICKED, OnCancel)
    KEST_END_MESSAGE_TABLE()
public:
    CRunParamsDlg(const std::wstring& path, std::wstring& arguments) : path_(path), arguments_(arguments) {}

    // IDOK or IDCANCEL; -1 when the dialog could not be created. No owner window.
    INT_PTR show();

protected:
    void doDataExchange(DataExchange& exchange) override;

private:
    LRESULT OnInitDialog(WPARAM, LPARAM);
    void OnOk(UINT, UINT, HWND);
    void OnCancel(UINT, UINT, HWND);

    std::wstring path_;
    std::wstring& arguments_;
};

}  // namespace kest
