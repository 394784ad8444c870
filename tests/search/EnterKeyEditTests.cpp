#include "search/CEnterKeyComboBox.h"
#include <gtest/gtest.h>
#include <vector>

using namespace kest;

namespace {

void flushMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Stands in for the bar: records what the box and its edit field ask of it.
class RecordingBar : public CWindowImpl, public SearchBoxHost {
    KEST_BEGIN_MESSAGE_TABLE(RecordingBar, CWindowImpl)
        KEST_ON_MESSAGE(WM_COMMAND, OnCommand)
        KEST_ON_MESSAGE(WM_SYSCHAR, OnSysChar)
    KEST_END_MESSAGE_TABLE()
public:
    void RefreshFromTyping() override { ++refreshes; }
    int MatchText(const std::wstring& text) override {
        matched.push_back(text);
        return 0;
    }
    void OnMenuButtonClicked() override { ++menuClicks; }

    int refreshes = 0;
    int menuClicks = 0;
    std::vector<std::wstring> matched;
    std::vector<std::pair<WPARAM, LPARAM>> commands;
    std::vector<WPARAM> sysChars;

private:
    LRESULT OnCommand(WPARAM w, LPARAM l) {
        if (LOWORD(w) == LaunchCommandId) commands.emplace_back(w, l);
        passToDefault();
        return 0;
    }
    LRESULT OnSysChar(WPARAM c, LPARAM) {
        sysChars.push_back(c);
        return 0;
    }
};

class EnterKeyEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bar.create(GetModuleHandleW(nullptr), L"KestRecordingBar", nullptr, WS_POPUP | WS_VISIBLE, 0,
                               RECT{0, 0, 300, 200}));
        HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT,
                                     0, 0, 280, 200, bar.hwnd(), reinterpret_cast<HMENU>(7000), GetModuleHandleW(nullptr),
                                     nullptr);
        ASSERT_TRUE(combo);
        ASSERT_TRUE(box.attach(combo));
        box.setHost(&bar);
        UpdateWindow(bar.hwnd());
        flushMessages();
        edit = box.editWindow();
        ASSERT_TRUE(edit);
        SetFocus(edit);
    }
    void TearDown() override { bar.destroy(); }

    void type(const std::wstring& text) {
        for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
    }
    void key(WPARAM virtualKey) {
        SendMessageW(edit, WM_KEYDOWN, virtualKey, 1);
        SendMessageW(edit, WM_KEYUP, virtualKey, 0xC0000001);
    }
    std::wstring editText() const {
        wchar_t text[256] = {};
        GetWindowTextW(edit, text, 256);
        return text;
    }

    RecordingBar bar;
    CEnterKeyComboBox box;
    HWND edit = nullptr;
};

TEST_F(EnterKeyEditTest, EditFieldIsAttachedWhenItFirstAsksForItsColours) {
    EXPECT_TRUE(box.edit().attached());
    EXPECT_EQ(edit, box.edit().hwnd());
}

TEST_F(EnterKeyEditTest, BackspaceRemovesTheLastTypedCharacterWhereverTheCaretIs) {
    type(L"ab");
    key(VK_HOME);
    type(L"\bc");
    EXPECT_EQ(L"ac", box.edit().searchText);
    EXPECT_EQ(L"cab", editText()) << "the control itself inserted c at the caret";
}

TEST_F(EnterKeyEditTest, BlanksAloneAreNotTypedText) {
    type(L" ");
    EXPECT_EQ(L"", box.edit().searchText);
    type(L"x y");
    EXPECT_EQ(L"x y", box.edit().searchText);
}

TEST_F(EnterKeyEditTest, CharactersOutsideTheAllowedSetAreDropped) {
    type(L"$\t\u00e9");
    EXPECT_EQ(L"\u00e9", box.edit().searchText);
    EXPECT_EQ(L"\u00e9", editText());
}

TEST_F(EnterKeyEditTest, EnterPostsTheLaunchCommandAndEmptiesTheTypedText) {
    type(L"note\r");
    EXPECT_EQ(L"", box.edit().searchText);
    EXPECT_EQ(L"note", editText());
    flushMessages();
    ASSERT_EQ(1u, bar.commands.size());
    EXPECT_EQ(static_cast<WPARAM>(LaunchCommandId), bar.commands[0].first);
    EXPECT_EQ(13, bar.commands[0].second);
}

TEST_F(EnterKeyEditTest, EscapeAndDeleteEmptyTheFieldAndRefresh) {
    type(L"abc");
    type(L"\x1b");
    EXPECT_EQ(L"", box.edit().searchText);
    EXPECT_EQ(L"", editText());
    EXPECT_EQ(1, bar.refreshes);
    type(L"de");
    key(VK_DELETE);
    EXPECT_EQ(L"", box.edit().searchText);
    EXPECT_EQ(L"", editText());
    EXPECT_EQ(2, bar.refreshes);
}

TEST_F(EnterKeyEditTest, CtrlLetterIsForwardedToTheBarAndItsControlCharacterDropped) {
    SendMessageW(edit, WM_KEYDOWN, VK_CONTROL, 1);
    SendMessageW(edit, WM_KEYDOWN, 'K', 0x250001);
    SendMessageW(edit, WM_CHAR, 0x0B, 0x250001);
    SendMessageW(edit, WM_KEYUP, VK_CONTROL, 0xC0000001);
    SendMessageW(edit, WM_KEYDOWN, 'K', 0x250001);
    flushMessages();
    EXPECT_EQ(std::vector<WPARAM>{L'k'}, bar.sysChars) << "only while Ctrl is held";
    EXPECT_EQ(L"", editText());
}

TEST_F(EnterKeyEditTest, CtrlMSwitchesTheModeWithoutItsCarriageReturnLaunching) {
    type(L"ab");
    // The system translates Ctrl+M into a carriage return, the character Enter makes.
    SendMessageW(edit, WM_KEYDOWN, VK_CONTROL, 1);
    SendMessageW(edit, WM_KEYDOWN, 'M', 0x320001);
    SendMessageW(edit, WM_CHAR, L'\r', 0x320001);
    SendMessageW(edit, WM_KEYUP, 'M', 0xC0320001);
    SendMessageW(edit, WM_KEYUP, VK_CONTROL, 0xC0000001);
    flushMessages();
    EXPECT_EQ(std::vector<WPARAM>{L'm'}, bar.sysChars);
    EXPECT_TRUE(bar.commands.empty()) << "nothing is launched";
    EXPECT_EQ(L"ab", box.edit().searchText);
    // Enter itself still launches.
    type(L"\r");
    flushMessages();
    EXPECT_EQ(1u, bar.commands.size());
}

TEST_F(EnterKeyEditTest, CtrlVDoesNotPasteButShiftInsertMakesTheFieldTheTypedText) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const wchar_t pasted[] = L"pasted";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(pasted));
    memcpy(GlobalLock(memory), pasted, sizeof(pasted));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();

    type(L"x\x16");
    EXPECT_EQ(L"x", editText());

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(edit, WM_KEYDOWN, VK_INSERT, 1);
    EXPECT_TRUE(box.edit().pasting);
    EXPECT_EQ(L"xpasted", box.edit().searchText);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    SendMessageW(edit, WM_KEYUP, VK_INSERT, 0xC0000001);
    EXPECT_FALSE(box.edit().pasting);
}

TEST_F(EnterKeyEditTest, MovingIntoAFallbackStringMakesItTheTypedText) {
    type(L"c:\\w");
    SetWindowTextW(edit, L"c:\\windows");
    box.edit().itemsAreEntries = false;
    key(VK_END);
    EXPECT_EQ(L"c:\\windows", box.edit().searchText);
    box.edit().itemsAreEntries = true;
    SetWindowTextW(edit, L"Notepad (Accessories)");
    key(VK_LEFT);
    EXPECT_EQ(L"c:\\windows", box.edit().searchText);
}

TEST_F(EnterKeyEditTest, AltOpensTheBarMenu) {
    SendMessageW(edit, WM_SYSKEYDOWN, VK_MENU, 0x20000001);
    EXPECT_EQ(1, bar.menuClicks);
}

TEST_F(EnterKeyEditTest, LosingTheFocusEmptiesTheBoxAndMatchesTheWholeIndex) {
    type(L"abc");
    box.OnKillFocus();
    EXPECT_EQ(L"", editText());
    EXPECT_EQ(L"", box.edit().searchText);
    EXPECT_EQ(std::vector<std::wstring>{L""}, bar.matched);
}

TEST_F(EnterKeyEditTest, IdleFieldKnowsTheComputerName) {
    wchar_t name[16] = {};
    DWORD size = 16;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    EXPECT_EQ(std::wstring(name), box.edit().cueText());
}

}  // namespace
