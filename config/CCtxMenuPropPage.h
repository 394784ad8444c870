#pragma once
// The "Context Menu" page: the context-menu extension's settings. Check boxes are stored
// when clicked; the two texts when the sheet closes with Close, and also when the check box
// that governs a text is clicked. The extension reads the registry itself each time it is
// used, so this page notifies nobody.
#include "ContextMenuSettings.h"
#include "PropertySheet.h"
#include "resource.h"
#include <string>

class CCtxMenuPropPage : public kest::CPropertyPage {
    KEST_BEGIN_MESSAGE_TABLE(CCtxMenuPropPage, kest::CPropertyPage)
        KEST_ON_MESSAGE(WM_INITDIALOG, OnInitDialog)
        KEST_ON_MESSAGE(WM_HELP, OnHelp)
        KEST_ON_COMMAND(IDC_SHOW_COPY_PATH_NAME, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_SHOW_COPY_SHORT_PATH_NAME, BN_CLICKED, OnCheckBox)
        KEST_ON_COMMAND(IDC_SHOW_OPEN_IN_DOS_BOX, BN_CLICKED, OnOpenInDosBox)
        KEST_ON_COMMAND(IDC_SHOW_RUN, BN_CLICKED, OnRun)
        KEST_ON_NOTIFY(kest::AnyId, PSN_APPLY, OnApply)
    KEST_END_MESSAGE_TABLE()

public:
    // Reads the six values, writing back the default of any that is missing, so that
    // starting the settings program fills in the subkey even if this page is never shown.
    explicit CCtxMenuPropPage(HINSTANCE instance);

protected:
    void doDataExchange(kest::DataExchange& exchange) override;

private:
    LRESULT OnInitDialog(WPARAM, LPARAM);
    LRESULT OnHelp(WPARAM, LPARAM);
    void OnCheckBox(UINT, UINT id, HWND);
    void OnOpenInDosBox(UINT, UINT, HWND);
    void OnRun(UINT, UINT, HWND);
    LRESULT OnApply(NMHDR*);

    void enableEdits() const noexcept;

    kest::ContextMenuSettings settings_;
};
