// The band object as the taskbar sees it: created through the module's exports, sited on a
// fake site of the test's own, driven by its interfaces and window messages.
#include "BandModuleSupport.h"
#include "FakeBandSite.h"
#include <commctrl.h>
#include <shlobj.h>

namespace kest::test {
namespace {

class DeskBand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.loaded());
        ASSERT_NE(strip.hwnd(), nullptr);
        band = module.createBand();
        ASSERT_TRUE(band);
        deskBand = band.query<IDeskBand>();
        input = band.query<IInputObject>();
        withSite = band.query<IObjectWithSite>();
        ASSERT_TRUE(deskBand && input && withSite);
        site = ComPtr<FakeBandSite>::attach(new FakeBandSite(strip.hwnd()));
    }
    void TearDown() override {
        if (deskBand) deskBand->CloseDW(0);
        if (withSite) withSite->SetSite(nullptr);
        deskBand.reset();
        input.reset();
        withSite.reset();
        band.reset();
        if (site) site->lastFocusObject.reset();  // the site's record holds the band
        site.reset();
        pumpMessages();
        // The band's threads (the index keeper's, a read of the band's files) end on their own.
        EXPECT_EQ(module.canUnloadWithin(5000), S_OK);
    }
    // Sites the band, runs the posted creation of the bar and sizes the band as a host does.
    void showBand() {
        ASSERT_EQ(withSite->SetSite(static_cast<IOleWindow*>(site.get())), S_OK);
        pumpMessages();
        ASSERT_EQ(deskBand->ShowDW(TRUE), S_OK);
        HWND window = nullptr;
        deskBand->GetWindow(&window);
        SetWindowPos(window, nullptr, 10, 5, 400, 22, SWP_NOZORDER | SWP_NOACTIVATE);
        pumpMessages();
    }
    HWND bandWindow() const {
        HWND window = nullptr;
        deskBand->GetWindow(&window);
        return window;
    }
    HWND barWindow() const { return GetWindow(bandWindow(), GW_CHILD); }
    HWND searchEdit() const {
        HWND combo = FindWindowExW(barWindow(), nullptr, L"ComboBox", nullptr);
        return combo ? GetWindow(combo, GW_CHILD) : nullptr;
    }

    ComInitialization com;
    BandModule module;
    HostStrip strip{800, 40};
    ComPtr<IUnknown> band;
    ComPtr<IDeskBand> deskBand;
    ComPtr<IInputObject> input;
    ComPtr<IObjectWithSite> withSite;
    ComPtr<FakeBandSite> site;
};

TEST_F(DeskBand, AnswersEveryNamedInterfaceAndNoOther) {
    ComPtr<IUnknown> unknown = band.query<IUnknown>();
    EXPECT_EQ(band.query<IOleWindow>().get(), static_cast<IOleWindow*>(deskBand.get()));
    EXPECT_EQ(band.query<IDockingWindow>().get(), static_cast<IDockingWindow*>(deskBand.get()));
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(deskBand.get()));
    ComPtr<IPersistStream> stream = band.query<IPersistStream>();
    ASSERT_TRUE(stream);
    EXPECT_EQ(band.query<IPersist>().get(), static_cast<IPersist*>(stream.get()));
    EXPECT_EQ(input.query<IUnknown>().get(), unknown.get());
    EXPECT_EQ(withSite.query<IUnknown>().get(), unknown.get());
    EXPECT_EQ(stream.query<IUnknown>().get(), unknown.get());
    for (const IID* refused : {&IID_IContextMenu, &IID_IDeskBand2, &IID_IPersistStreamInit, &IID_IClassFactory}) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(band->QueryInterface(*refused, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
}

TEST_F(DeskBand, PersistsNothing) {
    ComPtr<IPersistStream> persist = band.query<IPersistStream>();
    CLSID persistClass{};
    EXPECT_EQ(persist->GetClassID(&persistClass), S_OK);
    EXPECT_TRUE(IsEqualCLSID(persistClass, BandClassId));
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    EXPECT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, 0u);
    EXPECT_EQ(persist->Load(stream.get()), S_OK);
    ULARGE_INTEGER size{};
    EXPECT_EQ(persist->GetSizeMax(&size), E_NOTIMPL);
}

class DeskBandInfo : public DeskBand {};

TEST_F(DeskBandInfo, NullInfoIsInvalid) { EXPECT_EQ(deskBand->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, nullptr), E_INVALIDARG); }

TEST_F(DeskBandInfo, HorizontalTaskbarGetsATwentiethOfTheScreenAndNoTitle) {
    DESKBANDINFO info{};
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS |
                  DBIM_BKCOLOR;
    info.ptIntegral = {7, 9};
    info.ptActual = {33, 44};
    lstrcpyW(info.wszTitle, L"host title");
    info.dwModeFlags = 0x77;
    ASSERT_EQ(deskBand->GetBandInfo(3, DBIF_VIEWMODE_NORMAL, &info), S_OK);
    const int expected = GetSystemMetrics(SM_CXSCREEN) / 20;  // 1280 under the test display
    EXPECT_EQ(info.ptMinSize.x, expected != 0 ? expected : 180);
    EXPECT_EQ(info.ptMinSize.y, 22);
    EXPECT_EQ(info.ptMaxSize.x, -1);
    EXPECT_EQ(info.ptMaxSize.y, -1);
    EXPECT_EQ(info.ptIntegral.x, 7);
    EXPECT_EQ(info.ptIntegral.y, 9);
    EXPECT_EQ(info.ptActual.x, 0);
    EXPECT_EQ(info.ptActual.y, 0);
    EXPECT_STREQ(info.wszTitle, L"host title");
    EXPECT_EQ(info.dwModeFlags, static_cast<DWORD>(DBIMF_NORMAL));
    EXPECT_EQ(info.dwMask & DBIM_BKCOLOR, 0u);
    EXPECT_EQ(info.dwMask & DBIM_TITLE, static_cast<DWORD>(DBIM_TITLE));
}

TEST_F(DeskBandInfo, VerticalTaskbarGetsASquareTheTitleAndVariableHeight) {
    DESKBANDINFO info{};
    info.dwMask = DBIM_MINSIZE | DBIM_TITLE | DBIM_MODEFLAGS;
    ASSERT_EQ(deskBand->GetBandInfo(0, DBIF_VIEWMODE_VERTICAL, &info), S_OK);
    EXPECT_EQ(info.ptMinSize.x, 22);
    EXPECT_EQ(info.ptMinSize.y, 22);
    EXPECT_STREQ(info.wszTitle, L"Kestrune");
    EXPECT_EQ(info.dwModeFlags, static_cast<DWORD>(DBIMF_VARIABLEHEIGHT));
}

TEST_F(DeskBandInfo, OnlyTheMaskedFieldsAreFilled) {
    DESKBANDINFO info{};
    info.dwMask = DBIM_MAXSIZE;
    info.ptMinSize = {5, 6};
    info.dwModeFlags = 0x40;
    ASSERT_EQ(deskBand->GetBandInfo(0, DBIF_VIEWMODE_VERTICAL, &info), S_OK);
    EXPECT_EQ(info.ptMinSize.x, 5);
    EXPECT_EQ(info.ptMinSize.y, 6);
    EXPECT_EQ(info.dwModeFlags, 0x40u);
    EXPECT_STREQ(info.wszTitle, L"");
    EXPECT_EQ(info.ptMaxSize.x, -1);
}

class DeskBandSite : public DeskBand {};

TEST_F(DeskBandSite, SiteGivesABandWindowAndThePostedMessageTheBar) {
    ASSERT_EQ(withSite->SetSite(static_cast<IOleWindow*>(site.get())), S_OK);
    ASSERT_NE(bandWindow(), nullptr);
    EXPECT_EQ(GetParent(bandWindow()), strip.hwnd());
    wchar_t name[32] = L"";
    GetClassNameW(bandWindow(), name, 32);
    EXPECT_STREQ(name, L"KestDeskBand");
    EXPECT_EQ(barWindow(), nullptr);
    pumpMessages();
    ASSERT_NE(barWindow(), nullptr);
    EXPECT_NE(searchEdit(), nullptr);
    RECT band{}, bar{};
    GetWindowRect(bandWindow(), &band);
    GetWindowRect(barWindow(), &bar);
    EXPECT_EQ(band.right - band.left, 300);
    EXPECT_EQ(bar.right - bar.left, 300);
    EXPECT_EQ(band.bottom - band.top, bar.bottom - bar.top);
}

TEST_F(DeskBandSite, NullSiteSucceedsAndReleasesTheSite) {
    ASSERT_EQ(withSite->SetSite(static_cast<IOleWindow*>(site.get())), S_OK);
    const ULONG held = site->referenceCount();
    deskBand->CloseDW(0);
    EXPECT_EQ(withSite->SetSite(nullptr), S_OK);
    EXPECT_EQ(site->referenceCount(), held - 1);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(withSite->GetSite(IID_IUnknown, &out), E_FAIL);
    EXPECT_EQ(out, nullptr);
}

TEST_F(DeskBandSite, SiteWithoutInputObjectSiteFails) {
    ComPtr<FakeBandSite> windowOnly = ComPtr<FakeBandSite>::attach(new FakeBandSite(strip.hwnd(), false));
    EXPECT_EQ(withSite->SetSite(static_cast<IOleWindow*>(windowOnly.get())), E_FAIL);
}

TEST_F(DeskBandSite, WidthFollowsTheHostAndHeightTheBar) {
    showBand();
    RECT barClient{};
    GetClientRect(barWindow(), &barClient);
    SendMessageW(bandWindow(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(520, 22));
    RECT band{}, bar{};
    GetWindowRect(bandWindow(), &band);
    GetWindowRect(barWindow(), &bar);
    EXPECT_EQ(band.right - band.left, 520);
    EXPECT_EQ(bar.right - bar.left, 520);
    EXPECT_EQ(band.bottom - band.top, barClient.bottom);
    POINT origin{band.left, band.top};
    ScreenToClient(strip.hwnd(), &origin);
    EXPECT_EQ(origin.x, 10);
    EXPECT_EQ(origin.y, 5);
}

TEST_F(DeskBandSite, CloseDestroysBandAndBar) {
    showBand();
    const HWND window = bandWindow();
    const HWND bar = barWindow();
    EXPECT_EQ(deskBand->CloseDW(0), S_OK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_EQ(bandWindow(), nullptr);
}

// This test program carries no manifest, so its own activation context gives version 5 of
// the common controls; the band's windows must still be made from the band's manifest.
// (Wine's tool tip is the same class in both versions, so the bar's tool tip cannot tell.)
class DeskBandControls : public DeskBand {
protected:
    // The atom of the class this program's own context gives the name: the system's own.
    static ATOM hostClassAtom(const wchar_t* className) {
        WNDCLASSEXW info{sizeof(info)};
        return static_cast<ATOM>(GetClassInfoExW(nullptr, className, &info));
    }
    static ATOM classAtom(HWND window) { return static_cast<ATOM>(GetClassWord(window, GCW_ATOM)); }
};

TEST_F(DeskBandControls, TheSearchBoxAndTheMenuButtonAreOfVersion6) {
    showBand();
    const HWND edit = searchEdit();
    ASSERT_NE(edit, nullptr);
    const HWND box = GetParent(edit);
    const HWND menuButton = GetDlgItem(barWindow(), 7106);  // the bar's menu button
    ASSERT_NE(menuButton, nullptr);
    ASSERT_NE(hostClassAtom(WC_COMBOBOXW), 0);
    ASSERT_NE(hostClassAtom(WC_BUTTONW), 0);
    // Made inside a version 6 context, a control gets the versioned class of that name.
    EXPECT_NE(classAtom(box), hostClassAtom(WC_COMBOBOXW));
    EXPECT_NE(classAtom(edit), hostClassAtom(WC_EDITW));
    EXPECT_NE(classAtom(menuButton), hostClassAtom(WC_BUTTONW));
}

class DeskBandFocus : public DeskBand {};

TEST_F(DeskBandFocus, UIActivatePutsTheFocusInTheBar) {
    showBand();
    SetFocus(strip.hwnd());
    EXPECT_EQ(input->HasFocusIO(), S_FALSE);
    EXPECT_EQ(input->UIActivateIO(TRUE, nullptr), S_OK);
    pumpMessages();
    EXPECT_EQ(input->HasFocusIO(), S_OK);
    EXPECT_TRUE(IsChild(barWindow(), GetFocus()) || GetFocus() == barWindow());
}

TEST_F(DeskBandFocus, TabInTheSearchBoxHandsTheFocusBack) {
    showBand();
    ASSERT_NE(searchEdit(), nullptr);
    SetFocus(searchEdit());
    pumpMessages();
    const int reports = site->focusReports;
    MSG tab{searchEdit(), WM_KEYDOWN, VK_TAB, 0};
    EXPECT_EQ(input->TranslateAcceleratorIO(&tab), S_OK);
    EXPECT_EQ(site->focusReports, reports + 1);
    EXPECT_EQ(site->lastFocusFlag, FALSE);
    EXPECT_EQ(site->lastFocusObject.get(), band.get());
}

TEST_F(DeskBandFocus, OtherKeysAreNotHandedBack) {
    showBand();
    SetFocus(searchEdit());
    pumpMessages();
    MSG key{searchEdit(), WM_KEYDOWN, 'N', 0};
    input->TranslateAcceleratorIO(&key);
    MSG enter{searchEdit(), WM_KEYDOWN, VK_RETURN, 0};
    // Enter is left to the edit field's own handling, which launches.
    EXPECT_EQ(input->TranslateAcceleratorIO(&enter), S_FALSE);
    EXPECT_EQ(site->focusGivenBack, 0);
    EXPECT_EQ(GetFocus(), searchEdit());
}

TEST_F(DeskBandFocus, WithoutABarKeysAreNotTranslated) {
    MSG key{strip.hwnd(), WM_KEYDOWN, VK_TAB, 0};
    EXPECT_EQ(input->TranslateAcceleratorIO(&key), S_FALSE);
}

}  // namespace
}  // namespace kest::test
