#include "accessories/CAboutDlg.h"
#include "accessories/ProductAddresses.h"
#include "resource.h"
#include "search/ModuleFolder.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

void flushMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring textOf(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

// Runs steps from a timer inside a modal loop, one per tick, until a step answers true.
class ModalScript {
public:
    explicit ModalScript(std::function<bool(int tick)> step) : step_(std::move(step)) {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, 50, onTimer);
    }
    ~ModalScript() {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
        ModalScript* script = active_;
        if (!script || script->running_) return;
        script->running_ = true;
        const bool done = script->step_(script->tick_++) || script->tick_ > 200;
        script->running_ = false;
        if (done) {
            KillTimer(nullptr, script->timer_);
            active_ = nullptr;
        }
    }
    static inline ModalScript* active_ = nullptr;
    std::function<bool(int)> step_;
    UINT_PTR timer_ = 0;
    int tick_ = 0;
    bool running_ = false;
};

HWND findAbout() { return FindWindowW(nullptr, L"About Kestrune"); }

void pressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The child windows of the box that carry a given text, in template order.
HWND childWithText(HWND dialog, const std::wstring& text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (textOf(child) == text) return child;
    return nullptr;
}

// As the dialog manager places a control: position and size are converted separately.
RECT dialogUnits(HWND dialog, int x, int y, int width, int height) {
    RECT origin{x, y, width, height};
    MapDialogRect(dialog, &origin);
    return RECT{origin.left, origin.top, origin.left + origin.right, origin.top + origin.bottom};
}

RECT childRect(HWND dialog, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void expectPlaced(HWND dialog, HWND child, int x, int y, int width, int height) {
    ASSERT_TRUE(child);
    const RECT expected = dialogUnits(dialog, x, y, width, height);
    const RECT actual = childRect(dialog, child);
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

SIZE iconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return SIZE{0, 0};
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return SIZE{bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

TEST(AboutBoxTest, ShowsItsControlsAndTextsAtTheirPlacesAndClosesWithOk) {
    kest::CAboutDlg about;
    bool checked = false;
    ModalScript script([&](int) {
        HWND box = findAbout();
        if (!box) return false;
        EXPECT_EQ(L"About Kestrune", textOf(box));
        const LONG style = GetWindowLongW(box, GWL_STYLE);
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_TRUE(style & WS_SYSMENU);
        RECT client{};
        GetClientRect(box, &client);
        const RECT whole = dialogUnits(box, 0, 0, 201, 66);
        EXPECT_EQ(whole.right, client.right);
        EXPECT_EQ(whole.bottom, client.bottom);

        HWND ok = GetDlgItem(box, IDOK);
        EXPECT_EQ(L"OK", textOf(ok));
        EXPECT_TRUE(GetWindowLongW(ok, GWL_STYLE) & BS_DEFPUSHBUTTON);
        expectPlaced(box, ok, 144, 6, 50, 14);
        expectPlaced(box, childWithText(box, L"Kestrune v"), 38, 7, 74, 8);
        EXPECT_EQ(L"1.38", textOf(GetDlgItem(box, IDC_VERSION)));
        expectPlaced(box, GetDlgItem(box, IDC_VERSION), 96, 7, 34, 8);
        HWND notice = childWithText(box, L"Copyright (C) 2006 Brindlewood. No warranty.");
        expectPlaced(box, notice, 9, 30, 185, 8);
        EXPECT_EQ(L"Make a donation", textOf(GetDlgItem(box, IDC_DONATE_LINK)));
        expectPlaced(box, GetDlgItem(box, IDC_DONATE_LINK), 38, 18, 60, 8);
        EXPECT_EQ(L"Contributors", textOf(GetDlgItem(box, IDC_CONTRIBUTORS)));
        expectPlaced(box, GetDlgItem(box, IDC_CONTRIBUTORS), 7, 47, 50, 14);

        bool sawIcon = false, sawSeparator = false;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const LONG childStyle = GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK;
            if (childStyle == SS_ICON && GetDlgCtrlID(child) == -1) {
                sawIcon = SendMessageW(child, STM_GETICON, 0, 0) != 0;
                RECT placed = childRect(box, child), expected = dialogUnits(box, 7, 7, 20, 20);
                EXPECT_EQ(expected.left, placed.left);
                EXPECT_EQ(expected.top, placed.top);
            }
            if (childStyle == SS_ETCHEDHORZ) {
                sawSeparator = true;
                RECT placed = childRect(box, child), expected = dialogUnits(box, 7, 41, 187, 1);
                EXPECT_EQ(expected.left, placed.left);
                EXPECT_EQ(expected.top, placed.top);
            }
        }
        EXPECT_TRUE(sawIcon);
        EXPECT_TRUE(sawSeparator);
        checked = true;
        pressButton(box, IDOK);
        return true;
    });
    EXPECT_EQ(IDOK, about.show(nullptr));
    EXPECT_TRUE(checked);
}

TEST(AboutBoxTest, CarriesTheProductIconSmallAndLargeAndIsCentredOnTheDesktop) {
    kest::CAboutDlg about;
    SIZE small{}, large{};
    RECT box{}, desktop{};
    ModalScript script([&](int) {
        HWND found = findAbout();
        if (!found) return false;
        small = iconSize(reinterpret_cast<HICON>(SendMessageW(found, WM_GETICON, ICON_SMALL, 0)));
        large = iconSize(reinterpret_cast<HICON>(SendMessageW(found, WM_GETICON, ICON_BIG, 0)));
        GetWindowRect(found, &box);
        GetWindowRect(GetDesktopWindow(), &desktop);
        PostMessageW(found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    });
    EXPECT_EQ(IDCANCEL, about.show(nullptr));
    EXPECT_EQ(16, small.cx);
    EXPECT_EQ(16, small.cy);
    EXPECT_EQ(32, large.cx);
    EXPECT_EQ(32, large.cy);
    EXPECT_LE(std::abs((box.left + box.right) - (desktop.left + desktop.right)), 2);
    EXPECT_LE(std::abs((box.top + box.bottom) - (desktop.top + desktop.bottom)), 2);
}

TEST(AboutBoxTest, DonationLinkTargetsTheDonationPage) {
    kest::CAboutDlg about;
    std::wstring target;
    ModalScript script([&](int) {
        HWND found = findAbout();
        if (!found) return false;
        target = about.donationLink().targetAddress();
        pressButton(found, IDOK);
        return true;
    });
    about.show(nullptr);
    EXPECT_EQ(std::wstring(kest::DonationAddress), target);
    EXPECT_EQ(0u, target.find(L"https://kestrune.brindlewood.example/"));
}

struct DismissState {
    HWND about;
    bool dismissed;
};

BOOL CALLBACK dismissOne(HWND window, LPARAM state) {
    auto* dismiss = reinterpret_cast<DismissState*>(state);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (window != dismiss->about && IsWindowVisible(window) && std::wstring(className) == L"#32770") {
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
        dismiss->dismissed = true;
    }
    return TRUE;
}

// Closes any message box the shell shows on this thread, other than the about box.
bool dismissShellMessage(HWND about) {
    DismissState state{about, false};
    EnumThreadWindows(GetCurrentThreadId(), dismissOne, reinterpret_cast<LPARAM>(&state));
    return state.dismissed;
}

TEST(AboutBoxTest, ContributorsWithoutTheFileLeavesTheBoxOpen) {
    // The test program stands in for the band module; no "contributors.txt" is beside it.
    const std::wstring file = kest::bandModuleFolder() + L"contributors.txt";
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));
    kest::CAboutDlg about;
    bool stillOpen = false;
    int pressedAt = -1;
    ModalScript script([&](int tick) {
        HWND found = findAbout();
        if (!found) return false;
        if (pressedAt < 0) {
            pressedAt = tick;
            pressButton(found, IDC_CONTRIBUTORS);
            return false;
        }
        // Whatever the shell reports about the missing file is answered here.
        dismissShellMessage(found);
        if (tick < pressedAt + 6) return false;
        stillOpen = IsWindowVisible(found) != FALSE;
        pressButton(found, IDOK);
        return true;
    });
    EXPECT_EQ(IDOK, about.show(nullptr));
    EXPECT_TRUE(stillOpen);
}

// A command script that leaves a marker file behind, standing in for a web page.
class MarkerTarget {
public:
    MarkerTarget() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        // Names of its own, so that a slow start left over from another test cannot count.
        static int instances = 0;
        const std::string suffix = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++instances);
        script = std::wstring(temp) + L"kest_link_target_" + std::wstring(suffix.begin(), suffix.end()) + L".cmd";
        marker = std::wstring(temp) + L"kest_link_opened_" + std::wstring(suffix.begin(), suffix.end()) + L".txt";
        DeleteFileW(marker.c_str());
        const std::string body = "@echo opened> \"%~dp0kest_link_opened_" + suffix + ".txt\"\r\n";
        HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
        CloseHandle(file);
    }
    ~MarkerTarget() {
        DeleteFileW(script.c_str());
        DeleteFileW(marker.c_str());
    }
    // Generous: a console program started by the shell can be slow on a loaded machine.
    bool waitForMarker() const {
        for (int i = 0; i < 1200; ++i) {
            if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
            Sleep(50);
            flushMessages();
        }
        return false;
    }
    std::wstring script;
    std::wstring marker;
};

TEST(AboutBoxTest, ClickingTheDonationLinkOpensItsTargetAndClosesWithZero) {
    MarkerTarget target;
    kest::CAboutDlg about;
    ModalScript script([&](int) {
        HWND found = findAbout();
        if (!found) return false;
        about.donationLink().setTargetAddress(target.script);
        HWND link = GetDlgItem(found, IDC_DONATE_LINK);
        PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        return true;
    });
    EXPECT_EQ(0, about.show(nullptr));
    EXPECT_TRUE(target.waitForMarker());
}

// The link inside a modeless about box, driven message by message.
class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        box = about.createModeless(kest::bandModule(), IDD_ABOUT, nullptr);
        ASSERT_TRUE(box);
        ShowWindow(box, SW_SHOW);
        SetForegroundWindow(box);
        flushMessages();
        link = GetDlgItem(box, IDC_DONATE_LINK);
        ASSERT_TRUE(link);
        ASSERT_TRUE(about.donationLink().attached());
    }
    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        about.destroy();
        flushMessages();
    }
    COLORREF textColorNow() {
        HDC dc = CreateCompatibleDC(nullptr);
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkMode(dc, OPAQUE);
        brush = reinterpret_cast<HBRUSH>(SendMessageW(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(link)));
        const COLORREF color = GetTextColor(dc);
        backgroundMode = GetBkMode(dc);
        DeleteDC(dc);
        return color;
    }
    POINT linkCentreOnScreen() {
        RECT rect{};
        GetClientRect(link, &rect);
        POINT centre{rect.right / 2, rect.bottom / 2};
        ClientToScreen(link, &centre);
        return centre;
    }

    kest::CAboutDlg about;
    HWND box = nullptr;
    HWND link = nullptr;
    HBRUSH brush = nullptr;
    int backgroundMode = 0;
};

TEST_F(HyperLinkTest, BindingUnderlinesTheControlsFontAndAddsNotify) {
    EXPECT_TRUE(GetWindowLongW(link, GWL_STYLE) & SS_NOTIFY);
    HFONT linkFont = reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0));
    HFONT boxFont = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
    ASSERT_TRUE(linkFont);
    ASSERT_TRUE(boxFont);
    EXPECT_EQ(about.donationLink().underlinedFont(), linkFont);
    LOGFONTW underlined{}, plain{};
    GetObjectW(linkFont, sizeof(underlined), &underlined);
    GetObjectW(boxFont, sizeof(plain), &plain);
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_FALSE(plain.lfUnderline);
    EXPECT_EQ(plain.lfHeight, underlined.lfHeight);
    EXPECT_STREQ(plain.lfFaceName, underlined.lfFaceName);
}

TEST_F(HyperLinkTest, AnswersHitTestsSoClicksReachIt) {
    // A click on a static without SS_NOTIFY would not reach the box at all.
    EXPECT_EQ(HTCLIENT, SendMessageW(link, WM_NCHITTEST, 0, MAKELPARAM(linkCentreOnScreen().x, linkCentreOnScreen().y)));
}

TEST_F(HyperLinkTest, ColoursFollowTheHoverStateOnATransparentBackground) {
    EXPECT_EQ(0xFF0000u, textColorNow());
    EXPECT_EQ(TRANSPARENT, backgroundMode);
    EXPECT_EQ(GetStockObject(NULL_BRUSH), brush);

    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(about.donationLink().hovering());
    EXPECT_EQ(link, GetCapture());
    EXPECT_EQ(0x0000FFu, textColorNow());

    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(-5, -5));
    EXPECT_FALSE(about.donationLink().hovering());
    EXPECT_NE(link, GetCapture());
    EXPECT_EQ(0xFF0000u, textColorNow());
}

TEST_F(HyperLinkTest, LosingTheCaptureEndsTheHover) {
    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    ASSERT_TRUE(about.donationLink().hovering());
    SetCapture(box);
    EXPECT_FALSE(about.donationLink().hovering());
    EXPECT_EQ(0xFF0000u, textColorNow());
}

TEST_F(HyperLinkTest, SetCursorShowsTheLinkCursor) {
    ASSERT_TRUE(about.donationLink().linkCursor());
    EXPECT_EQ(TRUE, SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(about.donationLink().linkCursor(), GetCursor());
}

TEST_F(HyperLinkTest, HasOneHiddenToolOverItsClientArea) {
    HWND tip = about.donationLink().toolTip();
    ASSERT_TRUE(tip);
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_EQ(1, SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = link;
    tool.uId = kest::CMyHyperLink::ToolId;
    ASSERT_TRUE(SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    RECT client{};
    GetClientRect(link, &client);
    EXPECT_TRUE(EqualRect(&client, &tool.rect));
}

TEST_F(HyperLinkTest, OpeningATargetRunsItThroughTheShell) {
    MarkerTarget target;
    about.donationLink().setTargetAddress(target.script);
    EXPECT_TRUE(about.donationLink().openTarget());
    EXPECT_TRUE(target.waitForMarker());
}

TEST_F(HyperLinkTest, EmptyTargetOpensNothing) {
    about.donationLink().setTargetAddress(L"");
    EXPECT_FALSE(about.donationLink().openTarget());
}

TEST_F(HyperLinkTest, DestroyingTheBoxDestroysTheToolTip) {
    HWND tip = about.donationLink().toolTip();
    ASSERT_TRUE(IsWindow(tip));
    about.destroy();
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(nullptr, about.donationLink().toolTip());
}

}  // namespace
