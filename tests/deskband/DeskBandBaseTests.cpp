// The desk band base through a band of the test's own whose hooks make a plain child
// window, with a fake site standing for the taskbar.
#include "FakeBandSite.h"
#include "deskband/CDeskBandBase.h"
#include <gtest/gtest.h>
#include <string>

namespace kest::test {
namespace {

// {5E2C1B7A-0C55-4A3B-9E1D-2B7F6A4C8D10}
constexpr CLSID CLSID_TestBand = {0x5e2c1b7a, 0x0c55, 0x4a3b, {0x9e, 0x1d, 0x2b, 0x7f, 0x6a, 0x4c, 0x8d, 0x10}};
constexpr wchar_t TestBandClass[] = L"KestTestDeskBand";

class TestBand : public CDeskBandBase {
public:
    TestBand() : CDeskBandBase(CLSID_TestBand, TestBandClass) {}

    HWND content = nullptr;
    int creates = 0;
    int destroys = 0;
    int sizes = 0;
    LPARAM lastSize = 0;
    LRESULT contextMenuAnswer = 1;
    int contextMenus = 0;
    int accelerators = 0;
    bool contentExistedAtDestroy = false;

protected:
    HRESULT OnTranslateAccelerator(MSG* message) override {
        ++accelerators;
        return message->message == WM_KEYDOWN && message->wParam == VK_F5 ? S_OK : S_FALSE;
    }
    LRESULT OnCreate() override {
        ++creates;
        content = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, bandWindow(), nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        return 0;
    }
    LRESULT OnDestroy() override {
        ++destroys;
        contentExistedAtDestroy = content && IsWindow(content);
        return 0;
    }
    LRESULT OnSize(WPARAM, LPARAM lParam) override {
        ++sizes;
        lastSize = lParam;
        return 0;
    }
    LRESULT OnSetFocus() override {
        if (content) SetFocus(content);
        return 0;
    }
    LRESULT OnContextMenu(WPARAM, LPARAM) override {
        ++contextMenus;
        return contextMenuAnswer;
    }
};

std::wstring classNameOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

class DeskBandBase : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(strip.hwnd(), nullptr);
        band = new TestBand();
        site = new FakeBandSite(strip.hwnd());
    }
    void TearDown() override {
        if (band) {
            band->CloseDW(0);
            band->SetSite(nullptr);
            band->Release();
        }
        if (site) site->Release();
        pumpMessages();
    }
    // Sites the band and runs the posted creation message.
    void siteBand() {
        ASSERT_EQ(band->SetSite(static_cast<IOleWindow*>(site)), S_OK);
        pumpMessages();
    }

    HostStrip strip;
    TestBand* band = nullptr;
    FakeBandSite* site = nullptr;
};

TEST_F(DeskBandBase, SetSiteMakesAHiddenChildOfTheSiteWindow) {
    HWND before = reinterpret_cast<HWND>(1);
    EXPECT_EQ(band->GetWindow(&before), S_OK);
    EXPECT_EQ(before, nullptr);

    ASSERT_EQ(band->SetSite(static_cast<IOleWindow*>(site)), S_OK);
    HWND window = nullptr;
    ASSERT_EQ(band->GetWindow(&window), S_OK);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), strip.hwnd());
    EXPECT_EQ(classNameOf(window), TestBandClass);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & 0xFFFF0000u, 0x46000000u);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 300);
    WNDCLASSW registered{};
    ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), TestBandClass, &registered));
    EXPECT_EQ(registered.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_GLOBALCLASS));
}

TEST_F(DeskBandBase, ContentIsCreatedFromThePostedMessageNotDuringCreation) {
    ASSERT_EQ(band->SetSite(static_cast<IOleWindow*>(site)), S_OK);
    EXPECT_EQ(band->creates, 0);
    MSG posted{};
    EXPECT_TRUE(PeekMessageW(&posted, band->bandWindow(), WM_USER + 1, WM_USER + 1, PM_NOREMOVE));
    pumpMessages();
    EXPECT_EQ(band->creates, 1);
    EXPECT_EQ(GetParent(band->content), band->bandWindow());
}

TEST_F(DeskBandBase, SecondSetSiteKeepsTheWindow) {
    siteBand();
    const HWND first = band->bandWindow();
    ASSERT_EQ(band->SetSite(static_cast<IOleWindow*>(site)), S_OK);
    pumpMessages();
    EXPECT_EQ(band->bandWindow(), first);
    EXPECT_EQ(band->creates, 1);
}

TEST_F(DeskBandBase, SiteWithoutWindowFails) {
    FakeBandSite* windowless = new FakeBandSite(nullptr);
    EXPECT_EQ(band->SetSite(static_cast<IOleWindow*>(windowless)), E_FAIL);
    EXPECT_EQ(band->bandWindow(), nullptr);
    windowless->Release();
}

TEST_F(DeskBandBase, SiteWithoutInputObjectSiteFailsButKeepsTheWindow) {
    FakeBandSite* windowOnly = new FakeBandSite(strip.hwnd(), false);
    EXPECT_EQ(band->SetSite(static_cast<IOleWindow*>(windowOnly)), E_FAIL);
    EXPECT_NE(band->bandWindow(), nullptr);
    IUnknown* held = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(band->GetSite(IID_IUnknown, reinterpret_cast<void**>(&held)), E_FAIL);
    EXPECT_EQ(held, nullptr);
    windowOnly->Release();
}

TEST_F(DeskBandBase, GetSiteForwardsToTheHeldSite) {
    siteBand();
    ComPtr<IOleWindow> asked;
    ASSERT_EQ(band->GetSite(IID_IOleWindow, asked.putVoid()), S_OK);
    HWND window = nullptr;
    asked->GetWindow(&window);
    EXPECT_EQ(window, strip.hwnd());
    EXPECT_EQ(band->GetSite(IID_IOleWindow, nullptr), E_POINTER);
}

TEST_F(DeskBandBase, NullSiteReleasesTheSiteAndUnregistersTheClass) {
    siteBand();
    const ULONG siteReferences = site->referenceCount();
    EXPECT_EQ(band->CloseDW(0), S_OK);
    EXPECT_EQ(band->SetSite(nullptr), S_OK);
    EXPECT_EQ(site->referenceCount(), siteReferences - 1);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(band->GetSite(IID_IUnknown, &out), E_FAIL);
    WNDCLASSW registered{};
    EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), TestBandClass, &registered));
}

TEST_F(DeskBandBase, NullSiteBeforeAnySiteSucceeds) { EXPECT_EQ(band->SetSite(nullptr), S_OK); }

TEST_F(DeskBandBase, ShowAndHide) {
    siteBand();
    EXPECT_FALSE(IsWindowVisible(band->bandWindow()));
    EXPECT_EQ(band->ShowDW(TRUE), S_OK);
    EXPECT_TRUE(IsWindowVisible(band->bandWindow()));
    EXPECT_EQ(band->ShowDW(FALSE), S_OK);
    EXPECT_FALSE(IsWindowVisible(band->bandWindow()));
}

TEST_F(DeskBandBase, ShowWithoutWindowSucceeds) { EXPECT_EQ(band->ShowDW(TRUE), S_OK); }

TEST_F(DeskBandBase, CloseDestroysTheWindowThroughTheDestroyHook) {
    siteBand();
    const HWND window = band->bandWindow();
    EXPECT_EQ(band->CloseDW(0), S_OK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(band->bandWindow(), nullptr);
    EXPECT_EQ(band->destroys, 1);
    EXPECT_TRUE(band->contentExistedAtDestroy);
    EXPECT_EQ(band->CloseDW(0), S_OK);
    EXPECT_EQ(band->destroys, 1);
}

TEST_F(DeskBandBase, ParentDestroyingTheWindowIsNoticed) {
    siteBand();
    const HWND window = band->bandWindow();
    DestroyWindow(window);
    EXPECT_EQ(band->destroys, 1);
    EXPECT_EQ(band->bandWindow(), nullptr);
    EXPECT_EQ(band->CloseDW(0), S_OK);
}

TEST_F(DeskBandBase, ReleaseWithoutCloseDestroysTheWindowWithoutHooks) {
    siteBand();
    const HWND window = band->bandWindow();
    band->SetSite(nullptr);
    band->Release();
    band = nullptr;
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(DeskBandBase, SizeMessageReachesTheSizeHook) {
    siteBand();
    SendMessageW(band->bandWindow(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(240, 22));
    EXPECT_EQ(band->lastSize, MAKELPARAM(240, 22));
    const int sizes = band->sizes;
    SetWindowPos(band->bandWindow(), nullptr, 0, 0, 200, 24, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(band->sizes, sizes + 1);
    EXPECT_EQ(band->lastSize, MAKELPARAM(200, 24));
}

TEST_F(DeskBandBase, DeclinedContextMenuFallsToDefaultProcessing) {
    siteBand();
    band->contextMenuAnswer = 1;
    SendMessageW(band->bandWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(band->bandWindow()), MAKELPARAM(5, 5));
    EXPECT_EQ(band->contextMenus, 1);
    band->contextMenuAnswer = 0;
    EXPECT_EQ(SendMessageW(band->bandWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(band->bandWindow()),
                           MAKELPARAM(5, 5)),
              0);
    EXPECT_EQ(band->contextMenus, 2);
}

class DeskBandBaseFocus : public DeskBandBase {};

TEST_F(DeskBandBaseFocus, UIActivatePassesTheFocusToTheContent) {
    siteBand();
    band->ShowDW(TRUE);
    SetForegroundWindow(strip.hwnd());
    SetFocus(strip.hwnd());
    EXPECT_EQ(band->HasFocusIO(), S_FALSE);
    EXPECT_EQ(band->UIActivateIO(TRUE, nullptr), S_OK);
    EXPECT_EQ(GetFocus(), band->content);
    EXPECT_EQ(band->HasFocusIO(), S_OK);
    SetFocus(strip.hwnd());
    EXPECT_EQ(band->HasFocusIO(), S_FALSE);
}

TEST_F(DeskBandBaseFocus, UIDeactivateLeavesTheFocus) {
    siteBand();
    band->ShowDW(TRUE);
    SetFocus(strip.hwnd());
    EXPECT_EQ(band->UIActivateIO(FALSE, nullptr), S_OK);
    EXPECT_EQ(GetFocus(), strip.hwnd());
}

TEST_F(DeskBandBaseFocus, FocusReportGoesToTheSiteWithTheBandItself) {
    siteBand();
    band->OnFocusChange(true);
    EXPECT_EQ(site->focusReports, 1);
    EXPECT_EQ(site->lastFocusFlag, TRUE);
    ComPtr<IUnknown> self;
    band->QueryInterface(IID_IUnknown, self.putVoid());
    EXPECT_EQ(site->lastFocusObject.get(), self.get());
    band->OnFocusChange(false);
    EXPECT_EQ(site->focusReports, 2);
    EXPECT_EQ(site->lastFocusFlag, FALSE);
}

TEST_F(DeskBandBaseFocus, FocusReportWithoutSiteDoesNothing) {
    band->OnFocusChange(true);
    EXPECT_EQ(site->focusReports, 0);
}

TEST_F(DeskBandBaseFocus, AcceleratorsGoToTheHook) {
    siteBand();
    MSG key{band->content, WM_KEYDOWN, VK_F5, 0};
    EXPECT_EQ(band->TranslateAcceleratorIO(&key), S_OK);
    key.wParam = 'A';
    EXPECT_EQ(band->TranslateAcceleratorIO(&key), S_FALSE);
    EXPECT_EQ(band->accelerators, 2);
    EXPECT_EQ(band->TranslateAcceleratorIO(nullptr), S_FALSE);
}

class DeskBandBaseCounting : public ::testing::Test {};

TEST_F(DeskBandBaseCounting, BandCountsAsALiveObject) {
    const LONG before = LiveObjectCount::value();
    TestBand* band = new TestBand();
    EXPECT_EQ(LiveObjectCount::value(), before + 1);
    EXPECT_EQ(band->Release(), 0u);
    EXPECT_EQ(LiveObjectCount::value(), before);
}

TEST_F(DeskBandBaseCounting, ReferenceCountIsPlain) {
    TestBand* band = new TestBand();
    EXPECT_EQ(band->AddRef(), 2u);
    ComPtr<IInputObject> input;
    ASSERT_EQ(band->QueryInterface(IID_IInputObject, input.putVoid()), S_OK);
    EXPECT_EQ(input->AddRef(), 4u);
    EXPECT_EQ(input->Release(), 3u);
    input.reset();
    EXPECT_EQ(band->Release(), 1u);
    EXPECT_EQ(band->Release(), 0u);
}

TEST(DeskBandMinimumWidth, IsOneTwentiethOfTheScreenOr180) {
    EXPECT_EQ(CDeskBandBase::horizontalMinimumWidth(1024), 51);
    EXPECT_EQ(CDeskBandBase::horizontalMinimumWidth(1280), 64);
    EXPECT_EQ(CDeskBandBase::horizontalMinimumWidth(19), 180);
    EXPECT_EQ(CDeskBandBase::horizontalMinimumWidth(0), 180);
}

}  // namespace
}  // namespace kest::test
