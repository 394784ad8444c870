#include "accessories/CRollOverBitmapButton.h"
#include "resource.h"
#include "search/ModuleFolder.h"
#include <gtest/gtest.h>

namespace {

void flushMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class TopWindow : public kest::CWindowImpl {};

class BarDialog : public kest::CDialog {
    KEST_BEGIN_MESSAGE_TABLE(BarDialog, kest::CDialog)
        KEST_ON_COMMAND(IDC_MENUBUTTON, BN_CLICKED, OnMenuButton)
    KEST_END_MESSAGE_TABLE()
public:
    int clicks = 0;

private:
    void OnMenuButton(UINT, UINT, HWND) { ++clicks; }
};

// The bar's own template inside a top-level window, with the menu button bound.
class RollOverButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(top.create(kest::bandModule(), L"KestRollOverTestWindow", nullptr, WS_POPUP | WS_VISIBLE, 0,
                               RECT{100, 100, 500, 160}));
        ASSERT_TRUE(bar.createModeless(kest::bandModule(), IDD_SIMPLEBAR, top.hwnd()));
        ShowWindow(bar.hwnd(), SW_SHOW);
        SetForegroundWindow(top.hwnd());
        RECT client{};
        GetClientRect(bar.hwnd(), &client);
        ASSERT_TRUE(button.bind(bar.hwnd(), IDC_MENUBUTTON, client.bottom - 1));
        COMBOBOXINFO info{sizeof(info)};
        ASSERT_TRUE(GetComboBoxInfo(bar.item(IDC_SEARCHBOX), &info));
        edit = info.hwndItem;
        ASSERT_TRUE(edit);
        SetFocus(edit);
        flushMessages();
        ASSERT_EQ(edit, GetFocus());
    }
    void TearDown() override {
        SetCursorPos(1200, 1000);
        bar.destroy();
        top.destroy();
        flushMessages();
    }
    POINT buttonCentre() {
        POINT centre{10, 10};
        ClientToScreen(button.hwnd(), &centre);
        return centre;
    }
    void moveOverButton() {
        const POINT centre = buttonCentre();
        SetCursorPos(centre.x, centre.y);
        SendMessageW(button.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    }
    // Whether the button, printed as it is now, shows exactly the given image.
    bool shows(kest::RollOverImage which) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 21, 21, 1, 24, BI_RGB};
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HDC printed = CreateCompatibleDC(screen);
        HDC expected = CreateCompatibleDC(screen);
        HBITMAP canvas = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ReleaseDC(nullptr, screen);
        HGDIOBJ oldCanvas = SelectObject(printed, canvas);
        // A bitmap is selected into one device context at a time: print first.
        SendMessageW(button.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed), PRF_CLIENT);
        HGDIOBJ oldImage = SelectObject(expected, button.image(which));
        int differences = 0;
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 21; ++x)
                if (GetPixel(printed, x, y) != GetPixel(expected, x, y)) ++differences;
        SelectObject(printed, oldCanvas);
        SelectObject(expected, oldImage);
        DeleteObject(canvas);
        DeleteDC(printed);
        DeleteDC(expected);
        return differences == 0;
    }

    TopWindow top;
    BarDialog bar;
    kest::CRollOverBitmapButton button;
    HWND edit = nullptr;
};

TEST_F(RollOverButtonTest, BindingLoadsTheFourImagesAndSizesTheButtonTo21By21) {
    for (auto which : {kest::RollOverImage::Up, kest::RollOverImage::Down, kest::RollOverImage::Focused,
                       kest::RollOverImage::Disabled})
        EXPECT_TRUE(button.image(which));
    RECT client{};
    GetClientRect(button.hwnd(), &client);
    EXPECT_EQ(21, client.right);
    EXPECT_EQ(21, client.bottom);
}

TEST_F(RollOverButtonTest, ButtonWithoutImagesFailsToBind) {
    HWND other = CreateWindowExW(0, L"BUTTON", L"NOSUCHIMAGE", WS_CHILD | BS_OWNERDRAW, 0, 0, 17, 15, bar.hwnd(),
                                 reinterpret_cast<HMENU>(4321), kest::bandModule(), nullptr);
    ASSERT_TRUE(other);
    kest::CRollOverBitmapButton unbound;
    EXPECT_FALSE(unbound.bind(bar.hwnd(), 4321, 21));
    EXPECT_FALSE(unbound.bind(bar.hwnd(), 4322, 21));
    DestroyWindow(other);
}

TEST_F(RollOverButtonTest, DrawsUpDownFocusedAndDisabledImagesByState) {
    EXPECT_TRUE(shows(kest::RollOverImage::Up));
    SendMessageW(button.hwnd(), BM_SETSTATE, TRUE, 0);
    EXPECT_TRUE(shows(kest::RollOverImage::Down));
    SendMessageW(button.hwnd(), BM_SETSTATE, FALSE, 0);
    SetFocus(button.hwnd());
    EXPECT_TRUE(shows(kest::RollOverImage::Focused));
    SetFocus(edit);
    EnableWindow(button.hwnd(), FALSE);
    EXPECT_TRUE(shows(kest::RollOverImage::Disabled));
    EXPECT_FALSE(shows(kest::RollOverImage::Up));
}

TEST_F(RollOverButtonTest, PointerOverTheButtonTakesTheFocusFromTheSearchBox) {
    moveOverButton();
    EXPECT_EQ(button.hwnd(), GetFocus());
    EXPECT_TRUE(button.hovered());
    EXPECT_TRUE(button.tracking());
    EXPECT_TRUE(shows(kest::RollOverImage::Focused));
}

TEST_F(RollOverButtonTest, MouseLeaveGivesTheFocusBackToTheSearchBox) {
    moveOverButton();
    ASSERT_EQ(button.hwnd(), GetFocus());
    SendMessageW(button.hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(edit, GetFocus());
    EXPECT_FALSE(button.hovered());
    EXPECT_FALSE(button.tracking());
    EXPECT_TRUE(shows(kest::RollOverImage::Up));
}

TEST_F(RollOverButtonTest, MovingThePointerAwayEndsTheRollOverThroughTheSystem) {
    moveOverButton();
    ASSERT_EQ(button.hwnd(), GetFocus());
    SetCursorPos(1200, 1000);
    for (int i = 0; i < 100 && button.tracking(); ++i) {
        Sleep(20);
        flushMessages();
    }
    EXPECT_FALSE(button.tracking());
    EXPECT_EQ(edit, GetFocus());
}

TEST_F(RollOverButtonTest, LeaveDoesNotTakeTheFocusBackWhenItMovedMeanwhile) {
    moveOverButton();
    ASSERT_EQ(button.hwnd(), GetFocus());
    SetFocus(top.hwnd());
    SendMessageW(button.hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(top.hwnd(), GetFocus());
}

TEST_F(RollOverButtonTest, ClickReachesTheOwnerAsBnClicked) {
    SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
    flushMessages();
    EXPECT_EQ(1, bar.clicks);
}

TEST_F(RollOverButtonTest, OwnerDrawRequestDrawsTheImageForItsState) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 21, 21);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, canvas);
    DRAWITEMSTRUCT item{ODT_BUTTON, IDC_MENUBUTTON, 0, ODA_DRAWENTIRE, ODS_FOCUS, button.hwnd(), memory, {0, 0, 21, 21}, 0};
    button.drawItem(item);
    HDC expected = CreateCompatibleDC(memory);
    HGDIOBJ oldExpected = SelectObject(expected, button.image(kest::RollOverImage::Focused));
    EXPECT_EQ(GetPixel(expected, 0, 0), GetPixel(memory, 0, 0));
    EXPECT_EQ(GetPixel(expected, 10, 5), GetPixel(memory, 10, 5));
    SelectObject(expected, oldExpected);
    DeleteDC(expected);
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
}

}  // namespace
