#include "CRunParamsDlg.h"
#include "ShellExtModule.h"
#include "resource.h"

namespace kest {

INT_PTR CRunParamsDlg::show() {
    ModuleActivationScope activation;
    return doModal(moduleInstance(), IDD_RUNPARAMS, nullptr);
}

void CRunParamsDlg::doDataExchange(DataExchange& exchange) {
    exchange.text(IDC_RUNPARAMS_PATH, path_);
    exchange.text(IDC_RUNPARAMS_ARGUMENTS, arguments_);
}

LRESULT CRunParamsDlg::OnInitDialog(WPARAM, LPARAM) {
    updateData(false);
    return TRUE;
}

void CRunParamsDlg::OnOk(UINT, UINT, HWND) {
    updateData(true);
    endDialog(IDOK);
}

void CRunParamsDlg::OnCancel(UINT, UINT, HWND) { endDialog(IDCANCEL); }

}  // namespace kest
