// kesthost: runs the registered band exactly as the taskbar does, in a strip along the
// bottom of the screen. "--seconds N" closes it after N seconds (0: when the strip closes).
// Exit code 0 when every step succeeded and the band module may unload at the end.
#include "BandIdentity.h"
#include "CHostedBand.h"
#include "CHostStrip.h"
#include "ComPtr.h"
#include <shlobj.h>
#include <shobjidl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstdarg>
#include <cwchar>
#include <string>

namespace {

using namespace kest;

void report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::fputs("kesthost: ", stdout);
    std::vfprintf(stdout, format, args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    va_end(args);
}

BOOL CALLBACK findComboBox(HWND window, LPARAM found) {
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    if (_wcsicmp(name, L"ComboBox") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Prints the text and the items of the band's drop-down, when it has one.
void reportDropDown(HWND band) {
    HWND combo = nullptr;
    EnumChildWindows(band, findComboBox, reinterpret_cast<LPARAM>(&combo));
    if (!combo) {
        report("the band shows no drop-down");
        return;
    }
    wchar_t text[260] = L"";
    GetWindowTextW(combo, text, 260);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    report("drop-down text \"%ls\", %ld item(s)", text, static_cast<long>(count));
    for (LRESULT item = 0; item < count; ++item) {
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, item, 0);
        if (length < 0) continue;
        std::wstring itemText(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(&itemText[0]));
        report("  item %ld: %ls", static_cast<long>(item), itemText.c_str());
    }
}

// DllCanUnloadNow, asked again for up to a second while it says S_FALSE, as the taskbar asks
// from time to time: the band's threads end on their own after the band closed.
HRESULT moduleCanUnload() {
    const HMODULE module = GetModuleHandleW(L"kestbar.dll");
    if (!module) return S_OK;  // already unloaded
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    if (!canUnload) return E_FAIL;
    const ULONGLONG start = GetTickCount64();
    HRESULT result = canUnload();
    for (; result != S_OK && GetTickCount64() - start < 1000; result = canUnload()) Sleep(10);
    return result;
}

// Like the taskbar, the host moves the focus on when the band gives it back, and sizes the
// band anew when it says that its sizes changed.
class HostEvents : public HostSiteEvents {
public:
    HostEvents(CHostStrip& strip, const CHostedBand& band) noexcept : strip_(strip), band_(band) {}
    void OnBandFocusChange(bool focused) override {
        report("band reports focus %s", focused ? "gained" : "given back");
        if (!focused && strip_.startButton()) SetFocus(strip_.startButton());
    }
    void OnBandInfoChanged() override {
        DESKBANDINFO info{};
        const HRESULT result = band_.bandInfo(DBIF_VIEWMODE_NORMAL, info);
        report("band info changed: minimum %ld x %ld", info.ptMinSize.x, info.ptMinSize.y);
        if (SUCCEEDED(result) && info.ptMinSize.y > 0) strip_.placeBand(band_.window(), info.ptMinSize.y);
    }

private:
    CHostStrip& strip_;
    const CHostedBand& band_;
};

int runHost(int seconds) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    CHostStrip strip;
    if (!strip.create(instance)) {
        report("cannot create the strip window");
        return 2;
    }
    int exitCode = 0;
    {
        ComPtr<IUnknown> object;
        HRESULT result = createInstance(CLSID_KestDeskBand, IID_IUnknown, object);
        if (FAILED(result) || !object) {
            report("CoCreateInstance of the band failed: 0x%08lx", static_cast<unsigned long>(result));
            strip.destroy();
            return 2;
        }
        report("band created");
        CHostedBand band;
        HostEvents events(strip, band);
        result = band.open(object.get(), strip.hwnd(), &events);
        object.reset();
        if (result == E_NOINTERFACE) {
            report("the band lacks IDeskBand, IObjectWithSite or IInputObject");
            strip.destroy();
            return 2;
        }
        report("SetSite: 0x%08lx", static_cast<unsigned long>(result));
        if (FAILED(result)) {
            strip.destroy();
            return 2;
        }

        DESKBANDINFO info{};
        result = band.bandInfo(DBIF_VIEWMODE_NORMAL, info);
        report("GetBandInfo: 0x%08lx, minimum %ld x %ld, mode flags 0x%lx", static_cast<unsigned long>(result),
               info.ptMinSize.x, info.ptMinSize.y, info.dwModeFlags);

        const HWND bandWindow = band.window();
        strip.placeBand(bandWindow, info.ptMinSize.y > 0 ? info.ptMinSize.y : 22);
        ShowWindow(strip.hwnd(), SW_SHOWNA);
        band.show(true);
        band.activate();
        if (seconds > 0) SetTimer(strip.hwnd(), CHostStrip::CloseTimer, static_cast<UINT>(seconds) * 1000, nullptr);

        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && band.hasFocus() &&
                band.translateAccelerator(message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
            // Closing the strip ends the loop; the band is closed below, then the strip destroyed.
        }
        if (bandWindow && IsWindow(bandWindow)) reportDropDown(bandWindow);
        report("band window %s, %d focus report(s)", bandWindow ? "shown" : "missing", band.site()->focusReports());
        band.close();
    }
    const HRESULT canUnload = moduleCanUnload();
    report("DllCanUnloadNow after the last Release: %s", canUnload == S_OK ? "S_OK" : "S_FALSE");
    if (canUnload != S_OK) exitCode = 3;
    if (IsWindow(strip.hwnd())) strip.destroy();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: kesthost [--seconds N]\n");
            return 1;
        }
    }
    ComInitialization com;
    if (FAILED(com.result())) return 2;
    const int exitCode = runHost(seconds);
    CoFreeUnusedLibraries();
    report("closed");
    return exitCode;
}
