#include "CKestconfApp.h"
#include "CSettingDialog.h"
#include "ComPtr.h"
#include "HelpTopic.h"
#include <commctrl.h>

int CKestconfApp::run() {
    // The folder browser and HTML Help are shell objects: they need an apartment.
    const kest::ComInitialization com(COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    {
        CSettingDialog sheet(instance_);
        sheet.run(nullptr);
    }
    kest::CloseHelpWindows();
    return 0;
}
