#include "CKestconfApp.h"
#include "CSettingDialog.h"
#include <commctrl.h>

int CKestconfApp::run() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    CSettingDialog sheet(instance_);
    sheet.run(nullptr);
    return 0;
}
