#include "CCtxMenuPropPage.h"
#include "HelpTopic.h"

namespace names = kest::ContextMenuSettingName;

CCtxMenuPropPage::CCtxMenuPropPage(HINSTANCE instance)
    : CPropertyPage(instance, IDD_CONTEXT_MENU_PAGE), settings_(kest::loadContextMenuSettings()) {}

void CCtxMenuPropPage::doDataExchange(kest::DataExchange& exchange) {
    exchange.text(IDC_RUN_FILE_TYPES, settings_.runFileTypes);
    exchange.text(IDC_CONSOLE_APPLICATION, settings_.commandWindowApplication);
    exchange.check(IDC_SHOW_OPEN_IN_DOS_BOX, settings_.showOpenInCommandWindow);
    exchange.check(IDC_SHOW_COPY_PATH_NAME, settings_.showCopyPathName);
    exchange.check(IDC_SHOW_COPY_SHORT_PATH_NAME, settings_.showCopyShortPathName);
    exchange.check(IDC_SHOW_RUN, settings_.showRun);
}

LRESULT CCtxMenuPropPage::OnInitDialog(WPARAM, LPARAM) {
    // Longer texts could be stored but never read back.
    sendItem(IDC_RUN_FILE_TYPES, EM_LIMITTEXT, kest::RunFileTypesPageLimit);
    sendItem(IDC_CONSOLE_APPLICATION, EM_LIMITTEXT, kest::ContextMenuTextLimit);
    updateData(false);
    enableEdits();
    return TRUE;
}

void CCtxMenuPropPage::enableEdits() const noexcept {
    EnableWindow(item(IDC_CONSOLE_APPLICATION), settings_.showOpenInCommandWindow);
    EnableWindow(item(IDC_RUN_FILE_TYPES), settings_.showRun);
}

void CCtxMenuPropPage::OnCheckBox(UINT, UINT id, HWND) {
    updateData(true);
    if (id == IDC_SHOW_COPY_PATH_NAME)
        kest::storeShowFlag(names::ShowCopyPathName, settings_.showCopyPathName);
    else
        kest::storeShowFlag(names::ShowCopyShortPathName, settings_.showCopyShortPathName);
}

void CCtxMenuPropPage::OnOpenInDosBox(UINT, UINT, HWND) {
    updateData(true);
    kest::storeShowFlag(names::ShowOpenInCommandWindow, settings_.showOpenInCommandWindow);
    enableEdits();
    kest::storeText(names::CommandWindowApplication, settings_.commandWindowApplication);
}

void CCtxMenuPropPage::OnRun(UINT, UINT, HWND) {
    updateData(true);
    kest::storeShowFlag(names::ShowRun, settings_.showRun);
    enableEdits();
    kest::storeText(names::RunFileTypes, settings_.runFileTypes);
}

// Sent by the sheet's Close button to every page whose window exists; cancelling sends none.
LRESULT CCtxMenuPropPage::OnApply(NMHDR*) {
    updateData(true);
    kest::storeText(names::RunFileTypes, settings_.runFileTypes);
    kest::storeText(names::CommandWindowApplication, settings_.commandWindowApplication);
    return PSNRET_NOERROR;
}

LRESULT CCtxMenuPropPage::OnHelp(WPARAM, LPARAM lParam) {
    const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
    if (!help || help->iContextType != HELPINFO_WINDOW) return TRUE;
    return kest::ShowHelpTopic(kest::ContextMenuHelpTopic);
}
