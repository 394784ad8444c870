// The band and the floating bar at 100 and at 150 percent display scale, the band's images
// also at 125 and 175 percent. Wine 8 takes the DPI
// from LogPixels under HKCU\Control Panel\Desktop (else under HKLM\System\CurrentControlSet
// \Hardware Profiles\Current\Software\Fonts) once, when a process starts: the 144 DPI cases
// run in fresh processes, this program again (the DpiChild tests) or kestfloat.exe.
#include "FakeBandSite.h"
#include "FloatBarIdentity.h"
#include "FloatBarPlacement.h"
#include "SimpleBarDlg.h"
#include "accessories/ScaledImages.h"
#include "resource.h"
#include "search/ModuleFolder.h"
#include "deskband/CKestDeskBand.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>
#include <string>

namespace kest::test {
namespace {

constexpr wchar_t ReportVariable[] = L"KEST_DPI_REPORT";

bool waitFor(const std::function<bool()>& condition, DWORD milliseconds = 60000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) return false;
        pumpMessages();
        Sleep(10);
    }
    return true;
}

// LogPixels of the current user for the length of a test; the old value (or none) is put back
// however the test ends.
class LogPixelsSetting {
public:
    explicit LogPixelsSetting(DWORD dpi) {
        DWORD size = sizeof(old_);
        had_ = RegGetValueW(HKEY_CURRENT_USER, Key, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
               ERROR_SUCCESS;
        set_ = RegSetKeyValueW(HKEY_CURRENT_USER, Key, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi)) == ERROR_SUCCESS;
    }
    ~LogPixelsSetting() {
        if (had_)
            RegSetKeyValueW(HKEY_CURRENT_USER, Key, L"LogPixels", REG_DWORD, &old_, sizeof(old_));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, Key, L"LogPixels");
    }
    LogPixelsSetting(const LogPixelsSetting&) = delete;
    LogPixelsSetting& operator=(const LogPixelsSetting&) = delete;
    bool set() const noexcept { return set_; }

private:
    static constexpr const wchar_t* Key = L"Control Panel\\Desktop";
    DWORD old_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// A program of its own; still running at the end, it is ended.
class ChildProgram {
public:
    bool start(std::wstring commandLine) {
        STARTUPINFOW startup{sizeof(startup)};
        PROCESS_INFORMATION process{};
        commandLine.push_back(L'\0');
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            return false;
        CloseHandle(process.hThread);
        process_.reset(process.hProcess);
        return true;
    }
    // The exit code, or STILL_ACTIVE after the time limit.
    DWORD waitForExit(DWORD milliseconds) {
        DWORD code = STILL_ACTIVE;
        if (process_ && WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.get(), &code);
        return code;
    }
    ~ChildProgram() {
        if (process_ && waitForExit(0) == STILL_ACTIVE) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 10000);
        }
    }

private:
    UniqueKernelHandle process_;
};

std::wstring programFile(const wchar_t* name) {
    std::wstring path = L"Z:";
    for (char c : std::string(KEST_OUTPUT_DIR)) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path + L"\\" + name;
}

std::wstring ownFile() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// Client heights: Wine maps the window rectangles of a window made at another DPI.
LONG clientHeight(HWND window) {
    RECT bounds{};
    GetClientRect(window, &bounds);
    return bounds.bottom - bounds.top;
}

struct BandSizes {
    int reportedHeight = 0;  // GetBandInfo's minimum height
    int button = 0;          // the menu button's width, which is its image's
    int icon = 0;            // the idle edit field's icon
    int listIcon = 0;        // the program icons in the list
    int listItem = 0;        // the list's item height
    int barHeight = 0;       // the bar's client area
};

// The band as the taskbar hosts it, on a fake site whose window is parent, its bar loaded.
class SitedBand {
public:
    explicit SitedBand(HWND parent) : band_(new CKestDeskBand()), site_(new FakeBandSite(parent)) {
        if (FAILED(band_->SetSite(static_cast<IOleWindow*>(site_)))) return;
        pumpMessages();
        band_->ShowDW(TRUE);
        HWND window = nullptr;
        band_->GetWindow(&window);
        SetWindowPos(window, nullptr, 0, 0, 400, 22, SWP_NOZORDER | SWP_NOACTIVATE);
        ready_ = waitFor([this] { return band_->bar() && band_->bar()->hwnd() && !band_->bar()->busy(); });
        pumpMessages();
    }
    ~SitedBand() {
        band_->CloseDW(0);
        band_->SetSite(nullptr);
        band_->Release();
        site_->Release();
        pumpMessages();
    }
    SitedBand(const SitedBand&) = delete;
    SitedBand& operator=(const SitedBand&) = delete;

    bool ready() const noexcept { return ready_; }
    CKestDeskBand& band() const noexcept { return *band_; }
    FakeBandSite& site() const noexcept { return *site_; }

    BandSizes sizes() const {
        BandSizes sizes;
        DESKBANDINFO info{};
        info.dwMask = DBIM_MINSIZE;
        band_->GetBandInfo(7, DBIF_VIEWMODE_NORMAL, &info);
        sizes.reportedHeight = info.ptMinSize.y;
        RECT button{};
        GetWindowRect(band_->bar()->menuButton().hwnd(), &button);
        sizes.button = button.right - button.left;
        // The field paints its icon while another window has the focus.
        SetFocus(nullptr);
        HWND edit = band_->bar()->searchBox().editWindow();
        RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        sizes.icon = band_->bar()->searchBox().edit().iconSize().cx;
        CEnterKeyComboBox& box = band_->bar()->searchBox();
        sizes.listIcon = box.programIcons() ? box.programIcons()->iconSize() : 0;
        sizes.listItem = static_cast<int>(box.send(CB_GETITEMHEIGHT, 0));
        sizes.barHeight = clientHeight(band_->bar()->hwnd());
        return sizes;
    }

private:
    CKestDeskBand* band_;
    FakeBandSite* site_;
    bool ready_ = false;
};

// The largest image set that fits, whatever the fonts make the bar: the menu button below the
// bar's top pixel, the idle icon inside the edit field, the menu's marks as high as the
// system's check marks; the set made for 100 percent where none is that small.
void expectImagesFit(CSimpleBarDlg& bar) {
    const auto fits = [](int height, int limit, const wchar_t* smallest) {
        const UniqueHBitmap first(static_cast<HBITMAP>(LoadImageW(bandModule(), smallest, IMAGE_BITMAP, 0, 0, 0)));
        return height > 0 && (height <= limit || height == bitmapSize(first.get()).cy);
    };
    using MetricsForDpi = int(WINAPI*)(int, UINT);
    const auto metricsForDpi = reinterpret_cast<MetricsForDpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    ASSERT_NE(metricsForDpi, nullptr);
    EXPECT_TRUE(fits(bitmapSize(bar.menuButton().image(RollOverImage::Up)).cy, clientHeight(bar.hwnd()) - 1,
                     L"MYIMAGEU"));
    EXPECT_TRUE(fits(bar.searchBox().edit().iconSize().cy, clientHeight(bar.searchBox().editWindow()),
                     MAKEINTRESOURCEW(IDB_EDITFIELD_ICON)));
    EXPECT_TRUE(fits(bitmapSize(bar.menuMark(0)).cy, metricsForDpi(SM_CYMENUCHECK, TopLevelDpi(bar.hwnd())),
                     MAKEINTRESOURCEW(IDB_MENU_MARK_FIRST)));
}

BandSizes sizesOfNewBand() {
    HostStrip strip(800, 60);
    SitedBand band(strip.hwnd());
    EXPECT_TRUE(band.ready());
    if (!band.ready()) return BandSizes{};
    const BandSizes sizes = band.sizes();  // the idle field painted its icon
    expectImagesFit(*band.band().bar());
    return sizes;
}

// Sends WM_DPICHANGED_AFTERPARENT to window and its descendants, children first.
void sendDpiChangedAfterParent(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        sendDpiChangedAfterParent(child);
    SendMessageW(window, WM_DPICHANGED_AFTERPARENT, 0, 0);
}


// The button made for 150 percent where the bar has room for it (under Wine's own fonts it
// has at 144 DPI), else the one for 100 percent.
int buttonAt144(int barHeight) { return barHeight - 1 >= 32 ? 32 : 21; }

bool inChildProcess() { return GetEnvironmentVariableW(ReportVariable, nullptr, 0) > 0; }

// Runs in the process the BandScalesWithLogPixels test starts at 144 DPI.
TEST(DpiChild, ReportsTheBandsSizes) {
    if (!inChildProcess()) GTEST_SKIP() << "runs in the process started at 144 DPI";
    const BandSizes sizes = sizesOfNewBand();
    wchar_t path[MAX_PATH] = L"";
    GetEnvironmentVariableW(ReportVariable, path, MAX_PATH);
    FILE* report = _wfopen(path, L"w");
    ASSERT_NE(report, nullptr);
    std::fprintf(report, "%d %d %d %d %d %d\n", sizes.reportedHeight, sizes.button, sizes.icon, sizes.listIcon,
                 sizes.listItem, sizes.barHeight);
    std::fclose(report);
}

// The band made at 96 DPI moves under a top-level window at 144 DPI. Wine gives a window the
// DPI of the thread context it was made in and keeps it: a DPI-unaware strip shows at 96 DPI,
// a per-monitor aware one at the system's 144.
TEST(DpiChild, BandFollowsAChangeOfDpiAndTellsItsSite) {
    if (!inChildProcess()) GTEST_SKIP() << "runs in the process started at 144 DPI";
    using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    ASSERT_NE(setContext, nullptr);
    // The whole test runs per-monitor aware, so that Wine maps no coordinates between the
    // windows' DPI and the thread's.
    struct ContextRestore {
        SetContext set;
        DPI_AWARENESS_CONTEXT previous;
        ~ContextRestore() { set(previous); }
    } restore{setContext, setContext(DPI_AWARENESS_CONTEXT_UNAWARE)};
    HostStrip unawareStrip(800, 60);
    setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    HostStrip awareStrip(800, 60);
    ASSERT_EQ(TopLevelDpi(unawareStrip.hwnd()), 96u);
    ASSERT_EQ(TopLevelDpi(awareStrip.hwnd()), 144u);

    SitedBand band(unawareStrip.hwnd());
    ASSERT_TRUE(band.ready());
    const BandSizes before = band.sizes();
    EXPECT_EQ(before.reportedHeight, 22);
    EXPECT_EQ(before.button, 21);
    HWND bandWindow = nullptr;
    band.band().GetWindow(&bandWindow);
    const int barHeightBefore = static_cast<int>(clientHeight(band.band().bar()->hwnd()));

    SetParent(bandWindow, awareStrip.hwnd());
    // Wine 8 never sends WM_DPICHANGED_AFTERPARENT; the system sends it to each child window,
    // the bar and its controls before the band window.
    HWND bar = band.band().bar()->hwnd();
    sendDpiChangedAfterParent(bar);
    EXPECT_EQ(static_cast<int>(clientHeight(bar)), MulDiv(barHeightBefore, 144, 96)) << "the bar scaled its height";
    EXPECT_EQ(band.site().bandInfoChanges, 0) << "the band window has not heard of the change yet";
    // Wine maps the sizes between the reparented band window and the windows below it, which
    // keep the DPI they were made at; so the band window's own height is not compared.
    SendMessageW(bandWindow, WM_DPICHANGED_AFTERPARENT, 0, 0);
    pumpMessages();

    EXPECT_EQ(band.site().bandInfoChanges, 1);
    EXPECT_EQ(band.site().bandInfoChangedId, 7);
    const BandSizes after = band.sizes();
    EXPECT_EQ(after.reportedHeight, 33);
    EXPECT_EQ(after.button, buttonAt144(MulDiv(barHeightBefore, 144, 96)));
    EXPECT_LE(after.icon, clientHeight(band.band().bar()->searchBox().editWindow())) << "the idle icon fits its field";
    EXPECT_EQ(after.listIcon, 24);
    EXPECT_GE(after.listItem, 26) << "an icon and a pixel above and below";

    // A second notice at the same DPI changes nothing and tells the site nothing.
    sendDpiChangedAfterParent(bandWindow);
    EXPECT_EQ(band.site().bandInfoChanges, 1);
}

TEST(Dpi, BandScalesWithLogPixels) {
    if (inChildProcess()) GTEST_SKIP() << "runs in the first process";
    ASSERT_EQ(WindowDpi(nullptr), 96u) << "the test prefix runs at 96 DPI";
    const BandSizes at96 = sizesOfNewBand();
    EXPECT_EQ(at96.reportedHeight, 22);
    EXPECT_EQ(at96.button, 21);
    EXPECT_EQ(at96.icon, 16);
    EXPECT_EQ(at96.listIcon, 16);
    EXPECT_GE(at96.listItem, 18);

    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    const std::wstring reportPath = std::wstring(folder) + L"kest-dpi-report.txt";
    DeleteFileW(reportPath.c_str());
    DWORD code = STILL_ACTIVE;
    {
        LogPixelsSetting setting(144);
        ASSERT_TRUE(setting.set());
        SetEnvironmentVariableW(ReportVariable, reportPath.c_str());
        ChildProgram child;
        const bool started = child.start(L"\"" + ownFile() + L"\" --gtest_filter=DpiChild.*");
        SetEnvironmentVariableW(ReportVariable, nullptr);
        ASSERT_TRUE(started);
        code = child.waitForExit(180000);
    }
    EXPECT_EQ(code, 0u) << "the tests at 144 DPI passed";
    BandSizes at144;
    FILE* report = _wfopen(reportPath.c_str(), L"r");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(std::fscanf(report, "%d %d %d %d %d %d", &at144.reportedHeight, &at144.button, &at144.icon,
                          &at144.listIcon, &at144.listItem, &at144.barHeight),
              6);
    std::fclose(report);
    DeleteFileW(reportPath.c_str());
    EXPECT_EQ(at144.reportedHeight, 33);
    EXPECT_EQ(at144.button, buttonAt144(at144.barHeight));
    EXPECT_EQ(at144.listIcon, 24);
    EXPECT_GE(at144.listItem, 26);
    EXPECT_LT(at96.listItem, at144.listItem);
}

// Between the scales the images are made for, the bar is too low for the nearer larger set.
TEST(Dpi, ImagesFitAt125And175Percent) {
    if (inChildProcess()) GTEST_SKIP() << "runs in the first process";
    wchar_t folder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, folder);
    const std::wstring reportPath = std::wstring(folder) + L"kest-dpi-report.txt";
    for (DWORD dpi : {120u, 168u}) {
        LogPixelsSetting setting(dpi);
        ASSERT_TRUE(setting.set());
        SetEnvironmentVariableW(ReportVariable, reportPath.c_str());
        ChildProgram child;
        const bool started = child.start(L"\"" + ownFile() + L"\" --gtest_filter=DpiChild.ReportsTheBandsSizes");
        SetEnvironmentVariableW(ReportVariable, nullptr);
        ASSERT_TRUE(started);
        EXPECT_EQ(child.waitForExit(180000), 0u) << "the images fit at " << dpi << " DPI";
    }
    DeleteFileW(reportPath.c_str());
}

struct StripSizes {
    int height = 0;
    int grip = 0;  // from the strip's left edge to the band
};

// kestfloat.exe started now, measured once its band has loaded, then closed.
StripSizes floatingStrip() {
    StripSizes sizes;
    ChildProgram program;
    EXPECT_TRUE(program.start(L"\"" + programFile(L"kestfloat.exe") + L"\""));
    HWND strip = nullptr, band = nullptr;
    const bool shown = waitFor([&] {
        strip = FindWindowW(FloatBarWindowClass, nullptr);
        band = strip ? GetWindow(strip, GW_CHILD) : nullptr;
        HWND bar = band ? GetWindow(band, GW_CHILD) : nullptr;
        return strip && IsWindowVisible(strip) && bar;
    });
    EXPECT_TRUE(shown);
    if (!shown) return sizes;
    RECT stripRect{}, bandRect{};
    GetWindowRect(strip, &stripRect);
    GetWindowRect(band, &bandRect);
    sizes.height = stripRect.bottom - stripRect.top;
    sizes.grip = bandRect.left - stripRect.left;
    PostMessageW(strip, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(30000), 0u);
    return sizes;
}

TEST(Dpi, FloatingBarStripScalesWithLogPixels) {
    if (inChildProcess()) GTEST_SKIP() << "runs in the first process";
    const StripSizes at96 = floatingStrip();
    StripSizes at144;
    {
        LogPixelsSetting setting(144);
        ASSERT_TRUE(setting.set());
        at144 = floatingStrip();
    }
    EXPECT_EQ(at96.grip, FloatBarGripWidth);
    EXPECT_EQ(at144.grip, 12);
    ASSERT_GT(at96.height, 0);
    // The strip is as high as the band's bar, which the dialog font scales: half as high again.
    EXPECT_NEAR(at144.height, at96.height * 3 / 2, 2) << at96.height << " at 96 DPI";
}

}  // namespace
}  // namespace kest::test
