#include "FrameworkTestIds.h"
#include "UniqueHandle.h"
#include "Window.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_TEST_PING = WM_APP + 1;
constexpr UINT WM_TEST_BASE_ONLY = WM_APP + 2;
constexpr UINT WM_TEST_PASS_ON = WM_APP + 3;
constexpr UINT TestNotifyCode = 0x1234;
constexpr UINT TestControlId = 77;

void flushMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class BaseTestWindow : public kest::CWindowImpl {
    KEST_BEGIN_MESSAGE_TABLE(BaseTestWindow, kest::CWindowImpl)
        KEST_ON_MESSAGE(WM_TEST_BASE_ONLY, OnBaseOnly)
        KEST_ON_MESSAGE(WM_TEST_PASS_ON, OnBasePassOn)
    KEST_END_MESSAGE_TABLE()
public:
    std::vector<std::string> calls;

protected:
    LRESULT OnBaseOnly(WPARAM, LPARAM) {
        calls.push_back("base");
        return 11;
    }
    LRESULT OnBasePassOn(WPARAM, LPARAM) {
        calls.push_back("base pass-on");
        return 12;
    }
};

class TestWindow : public BaseTestWindow {
    KEST_BEGIN_MESSAGE_TABLE(TestWindow, BaseTestWindow)
        KEST_ON_MESSAGE(WM_TEST_PING, OnPing)
        KEST_ON_MESSAGE(WM_TEST_PASS_ON, OnPassOn)
        KEST_ON_COMMAND(IDC_TEST_BUTTON, BN_CLICKED, OnButtonClicked)
        KEST_ON_COMMAND_ID(IDC_TEST_EDIT, OnEditCommand)
        KEST_ON_NOTIFY(TestControlId, TestNotifyCode, OnTestNotify)
    KEST_END_MESSAGE_TABLE()
public:
    WPARAM pingW = 0;
    LPARAM pingL = 0;
    UINT commandCode = 0, commandId = 0;
    HWND commandControl = nullptr;
    UINT editCode = 0;
    const NMHDR* notified = nullptr;
    bool finalMessageSeen = false;

private:
    LRESULT OnPing(WPARAM w, LPARAM l) {
        pingW = w;
        pingL = l;
        return 42;
    }
    LRESULT OnPassOn(WPARAM, LPARAM) {
        calls.push_back("derived pass-on");
        passToDefault();
        return 0;
    }
    void OnButtonClicked(UINT code, UINT id, HWND control) {
        commandCode = code;
        commandId = id;
        commandControl = control;
    }
    void OnEditCommand(UINT code, UINT, HWND) { editCode = code; }
    LRESULT OnTestNotify(NMHDR* header) {
        notified = header;
        return 99;
    }
    void onFinalMessage() override { finalMessageSeen = true; }
};

class MessageTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.create(GetModuleHandleW(nullptr), L"KestFrameworkTestWindow", nullptr, WS_OVERLAPPEDWINDOW,
                                  0, RECT{0, 0, 300, 200}));
        button = CreateWindowExW(0, L"BUTTON", L"Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 80, 20,
                                 window.hwnd(), reinterpret_cast<HMENU>(IDC_TEST_BUTTON), GetModuleHandleW(nullptr),
                                 nullptr);
        ASSERT_TRUE(button);
    }
    void TearDown() override { window.destroy(); }

    TestWindow window;
    HWND button = nullptr;
};

TEST_F(MessageTableTest, MessageReachesItsHandlerWithArgumentsAndResult) {
    EXPECT_EQ(42, SendMessageW(window.hwnd(), WM_TEST_PING, 5, 6));
    EXPECT_EQ(5u, window.pingW);
    EXPECT_EQ(6, window.pingL);
}

TEST_F(MessageTableTest, ClickedButtonReachesCommandHandlerByIdAndCode) {
    SendMessageW(button, BM_CLICK, 0, 0);
    flushMessages();
    EXPECT_EQ(static_cast<UINT>(BN_CLICKED), window.commandCode);
    EXPECT_EQ(static_cast<UINT>(IDC_TEST_BUTTON), window.commandId);
    EXPECT_EQ(button, window.commandControl);
}

TEST_F(MessageTableTest, CommandWithOtherCodeIsNotTakenByCodeSpecificEntry) {
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_SETFOCUS), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(0u, window.commandId);
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TEST_EDIT, EN_CHANGE), 0);
    EXPECT_EQ(static_cast<UINT>(EN_CHANGE), window.editCode);
}

TEST_F(MessageTableTest, NotificationIsMatchedByControlIdAndCode) {
    NMHDR header{button, TestControlId, TestNotifyCode};
    EXPECT_EQ(99, SendMessageW(window.hwnd(), WM_NOTIFY, TestControlId, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(&header, window.notified);

    window.notified = nullptr;
    NMHDR otherId{button, TestControlId + 1, TestNotifyCode};
    EXPECT_EQ(0, SendMessageW(window.hwnd(), WM_NOTIFY, TestControlId + 1, reinterpret_cast<LPARAM>(&otherId)));
    NMHDR otherCode{button, TestControlId, TestNotifyCode + 1};
    EXPECT_EQ(0, SendMessageW(window.hwnd(), WM_NOTIFY, TestControlId, reinterpret_cast<LPARAM>(&otherCode)));
    EXPECT_EQ(nullptr, window.notified);
}

TEST_F(MessageTableTest, UnhandledMessageFallsToBaseTableThenDefaultProcedure) {
    EXPECT_EQ(11, SendMessageW(window.hwnd(), WM_TEST_BASE_ONLY, 0, 0));
    // The default procedure answers WM_GETTEXTLENGTH for the window's empty title.
    EXPECT_EQ(0, SendMessageW(window.hwnd(), WM_GETTEXTLENGTH, 0, 0));
    SetWindowTextW(window.hwnd(), L"abc");
    EXPECT_EQ(3, SendMessageW(window.hwnd(), WM_GETTEXTLENGTH, 0, 0));
}

TEST_F(MessageTableTest, HandlerPassingOnLetsTheBaseTableRun) {
    EXPECT_EQ(12, SendMessageW(window.hwnd(), WM_TEST_PASS_ON, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"derived pass-on", "base pass-on"}), window.calls);
}

TEST_F(MessageTableTest, DestroyingTheWindowRunsFinalMessageAndForgetsTheHandle) {
    HWND hwnd = window.hwnd();
    window.destroy();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, window.hwnd());
    EXPECT_TRUE(window.finalMessageSeen);
}

class TestDialog : public kest::CDialog {
    KEST_BEGIN_MESSAGE_TABLE(TestDialog, kest::CDialog)
        KEST_ON_MESSAGE(WM_INITDIALOG, OnInitDialog)
        KEST_ON_COMMAND(IDC_TEST_BUTTON, BN_CLICKED, OnPress)
        KEST_ON_COMMAND(IDCANCEL, BN_CLICKED, OnCancel)
    KEST_END_MESSAGE_TABLE()
public:
    std::wstring text = L"initial";
    bool flag = true;
    int choice = 1;
    int presses = 0;

protected:
    void doDataExchange(kest::DataExchange& exchange) override {
        exchange.text(IDC_TEST_EDIT, text);
        exchange.check(IDC_TEST_CHECK, flag);
        exchange.radio(IDC_TEST_RADIO1, IDC_TEST_RADIO2, choice);
    }

private:
    LRESULT OnInitDialog(WPARAM, LPARAM) {
        updateData(false);
        return TRUE;
    }
    void OnPress(UINT, UINT, HWND) {
        ++presses;
        updateData(true);
    }
    void OnCancel(UINT, UINT, HWND) { endDialog(IDCANCEL); }
};

TEST(DialogTest, ModelessDialogExchangesDataBothWaysAndHandlesItsButtons) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.createModeless(GetModuleHandleW(nullptr), IDD_TEST_DIALOG, nullptr));
    EXPECT_EQ(L"initial", dialog.itemText(IDC_TEST_EDIT));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog.hwnd(), IDC_TEST_CHECK));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog.hwnd(), IDC_TEST_RADIO2));

    dialog.setItemText(IDC_TEST_EDIT, L"typed");
    CheckDlgButton(dialog.hwnd(), IDC_TEST_CHECK, BST_UNCHECKED);
    CheckRadioButton(dialog.hwnd(), IDC_TEST_RADIO1, IDC_TEST_RADIO2, IDC_TEST_RADIO1);
    SendMessageW(dialog.item(IDC_TEST_BUTTON), BM_CLICK, 0, 0);
    flushMessages();

    EXPECT_EQ(1, dialog.presses);
    EXPECT_EQ(L"typed", dialog.text);
    EXPECT_FALSE(dialog.flag);
    EXPECT_EQ(0, dialog.choice);
    dialog.destroy();
    EXPECT_EQ(nullptr, dialog.hwnd());
}

// Cancels the test dialog from inside its own modal loop.
void CALLBACK cancelTestDialog(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND found = FindWindowW(nullptr, L"Framework test");
    if (found) PostMessageW(found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST(DialogTest, ModalDialogEndsWithTheResultOfItsHandler) {
    TestDialog dialog;
    SetTimer(nullptr, 0, 50, cancelTestDialog);
    EXPECT_EQ(IDCANCEL, dialog.doModal(GetModuleHandleW(nullptr), IDD_TEST_DIALOG, nullptr));
}

// Keeps only digits typed into an edit control; the rest goes to the edit's own procedure.
class DigitsOnlyEdit : public kest::CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(DigitsOnlyEdit, kest::CSubclassedWindow)
        KEST_ON_MESSAGE(WM_CHAR, OnChar)
    KEST_END_MESSAGE_TABLE()
public:
    int refused = 0;

private:
    LRESULT OnChar(WPARAM character, LPARAM) {
        if (character >= L'0' && character <= L'9')
            passToDefault();
        else
            ++refused;
        return 0;
    }
};

TEST(SubclassTest, SubclassedEditFiltersCharactersAndDetachesWithItsWindow) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(edit);
    DigitsOnlyEdit filter;
    ASSERT_TRUE(filter.attach(edit));
    for (wchar_t c : std::wstring(L"a1b2")) SendMessageW(edit, WM_CHAR, c, 0);
    wchar_t text[16] = {};
    GetWindowTextW(edit, text, 16);
    EXPECT_STREQ(L"12", text);
    EXPECT_EQ(2, filter.refused);
    DestroyWindow(edit);
    EXPECT_FALSE(filter.attached());
}


std::wstring textOf(HWND window) {
    wchar_t text[32] = {};
    GetWindowTextW(window, text, 32);
    return text;
}

LRESULT CALLBACK upperCaseSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_CHAR && wParam >= L'a' && wParam <= L'z') wParam -= L'a' - L'A';
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

DWORD WINAPI attachFromOtherThread(void* parameter) {
    DigitsOnlyEdit other;
    return other.attach(static_cast<HWND>(parameter)) ? 1 : 0;
}

TEST(SubclassTest, DetachingBelowAnotherSubclassKeepsTheChainWorking) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(edit);
    {
        DigitsOnlyEdit filter;
        ASSERT_TRUE(filter.attach(edit));
        DigitsOnlyEdit second;
        EXPECT_FALSE(second.attach(edit)) << "one object per window";
        ASSERT_TRUE(SetWindowSubclass(edit, upperCaseSubclass, 1, 0));
        SendMessageW(edit, WM_CHAR, L'1', 0);
        SendMessageW(edit, WM_CHAR, L'x', 0);
        EXPECT_EQ(L"1", textOf(edit));
        // The filter goes while the other subclass sits above it.
    }
    for (wchar_t c : std::wstring(L"a2")) SendMessageW(edit, WM_CHAR, c, 0);
    EXPECT_EQ(L"1A2", textOf(edit)) << "the edit and the upper subclass still get every character";

    DigitsOnlyEdit successor;
    ASSERT_TRUE(successor.attach(edit)) << "a new object takes over the forwarding procedure";
    SendMessageW(edit, WM_CHAR, L'b', 0);
    SendMessageW(edit, WM_CHAR, L'3', 0);
    EXPECT_EQ(L"1A23", textOf(edit));
    EXPECT_EQ(1, successor.refused);

    kest::UniqueKernelHandle thread(CreateThread(nullptr, 0, attachFromOtherThread, edit, 0, nullptr));
    ASSERT_TRUE(thread);
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD attachedElsewhere = 2;
    GetExitCodeThread(thread.get(), &attachedElsewhere);
    EXPECT_EQ(0u, attachedElsewhere) << "only the window's own thread may take it over";

    RemoveWindowSubclass(edit, upperCaseSubclass, 1);
    DestroyWindow(edit);
    EXPECT_FALSE(successor.attached());
}

}  // namespace
