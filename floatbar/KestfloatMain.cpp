// kestfloat: the floating bar, for taskbars that host no desk bands. It loads the band
// module beside it, hosts the band in its strip and runs until "Exit".
// Exit codes (FloatBarIdentity.h): 0 the band was closed and its module reported that it may
// unload; 1 another instance runs and was shown; 2 the band could not be hosted; 3 the band
// module still had live objects a second after the last Release (a thread of the band stuck
// in a slow step, such as a shortcut's target on an offline server).
#include "BandIdentity.h"
#include "CFloatBarWnd.h"
#include "FloatBarIdentity.h"
#include "FloatBarInstance.h"
#include "ProgramFolder.h"
#include <commctrl.h>

using namespace kest;

namespace {
// How long the band module's threads are given to end after the band was closed.
constexpr DWORD ModuleThreadPatience = 1000;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    FloatBarInstance single;
    if (!single.first()) {
        showRunningInstance(5000);
        return ExitAlreadyRunning;
    }
    ComInitialization com;
    if (FAILED(com.result())) return ExitBandUnavailable;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    // The copy beside the program, unregistered or not: always the version installed with it.
    CBandModuleFile module;  // outlives the window, which holds the band
    if (!module.load(programFolder() + L"kestbar.dll")) return ExitBandUnavailable;
    {
        CFloatBarWnd bar;
        if (!bar.create(instance)) return ExitBandUnavailable;
        {
            ComPtr<IUnknown> band;
            if (FAILED(module.createObject(CLSID_KestDeskBand, band)) || FAILED(bar.hostBand(band.get())))
                return ExitBandUnavailable;
        }
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!bar.preTranslateMessage(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            // Here, and only here, no menu or dialog loop of the bar or the band is running.
            if (bar.exitRequested()) bar.exitNow();
        }
        bar.closeBand();
    }
    return module.unloadWhenUnused(ModuleThreadPatience) == S_OK ? ExitClosedCleanly : ExitBandStillInUse;
}
