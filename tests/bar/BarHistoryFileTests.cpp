#include "BarTestSupport.h"
#include "SettingsNames.h"
#include "history/HistoryMap.h"
#include "search/TextRules.h"
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace kest;
using namespace kesttest;

namespace {

void typeInto(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) {
        if (c == L'\r' || c == 27) {
            const WPARAM key = c == L'\r' ? VK_RETURN : VK_ESCAPE;
            SendMessageW(edit, WM_KEYDOWN, key, 1);
            SendMessageW(edit, WM_CHAR, c, 1);
            SendMessageW(edit, WM_KEYUP, key, 0xC0000001);
        } else {
            SendMessageW(edit, WM_CHAR, c, 1);
        }
    }
}

// How often the history file, read as a band reads it, counts key; 0 when not at all.
std::uint32_t savedCount(const std::wstring& key) {
    const HistoryMap saved;
    const HistoryEntry* entry = saved.find(key);
    return entry ? entry->count : 0;
}

// "Mark Pad" lists before "Marker" for "mark"; launching "Marker" runs cmd.exe, which
// writes a marker file. Pre-selection goes by the most frequently used item.
class BarHistoryFileTest : public BarFixture {
protected:
    void SetUp() override {
        BarFixture::SetUp();
        marker = startMenu + L"\\ran.txt";
        writeShortcut(startMenu + L"\\Mark Pad.lnk", systemFile(L"notepad.exe"));
        writeShortcut(startMenu + L"\\Marker.lnk", systemFile(L"cmd.exe"), L"/c echo x> \"" + marker + L"\"",
                      startMenu);
        setDword(SettingName::AutoSelectMode, 1);
    }

    void launchMarker() {
        DeleteFileW(marker.c_str());
        type(L"marke");
        ASSERT_EQ(0, selection());
        type(L"\r");
        ASSERT_EQ(L"x", waitForMarker(marker));
    }

    std::wstring marker;
    const std::wstring launchedKey = asciiLower(systemFile(L"cmd.exe"));
};

TEST_F(BarHistoryFileTest, AnotherBandsLaunchIsPreselectedAfterItsNotice) {
    startBar();
    HWND otherParent = CreateWindowExW(0, L"STATIC", L"other bar host", WS_POPUP | WS_VISIBLE, 0, 40, 400, 30,
                                       nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(otherParent);
    auto other = std::make_unique<CSimpleBarDlg>(&owner);
    ASSERT_TRUE(other->create(otherParent));
    ShowWindow(other->hwnd(), SW_SHOWNORMAL);
    ASSERT_TRUE(waitUntilIdle(*other));
    HWND otherEdit = other->searchBox().editWindow();
    HWND otherBox = other->searchBox().hwnd();
    typeInto(otherEdit, L"mark");
    pumpMessages();
    EXPECT_EQ(0, SendMessageW(otherBox, CB_GETCURSEL, 0, 0)) << "nothing launched yet: the first item";

    launchMarker();
    // The other band learns of the save only by the notice; then its next keystrokes
    // pre-select the launched item.
    const bool shown = pumpUntil([&] {
        typeInto(otherEdit, L"\x1b" L"mark");
        pumpMessages();
        return SendMessageW(otherBox, CB_GETCURSEL, 0, 0) == 1;
    });
    EXPECT_TRUE(shown) << "the other band pre-selects what this one launched";
    ASSERT_NE(nullptr, other->history().find(launchedKey));
    EXPECT_EQ(1u, other->history().find(launchedKey)->count);

    other.reset();
    DestroyWindow(otherParent);
}

TEST_F(BarHistoryFileTest, TypingAndLaunchingDoNotWaitForTheHistoryLock) {
    startBar();
    UniqueKernelHandle lock(CreateMutexW(nullptr, FALSE, HistoryFile::MutexName));
    ASSERT_TRUE(lock);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(lock.get(), 0));
    // Another band's save while the lock is held: a keystroke that read the changed file
    // would wait for the lock.
    {
        HistoryEntries others;
        HistoryEntry entry;
        entry.path = L"other band's launch";
        entry.count = 3;
        others[entry.path] = entry;
        ASSERT_TRUE(HistoryFile::write(others));
    }
    DWORD slowest = 0;
    const auto timed = [&slowest](const std::function<void()>& step) {
        const DWORD start = GetTickCount();
        step();
        slowest = std::max<DWORD>(slowest, GetTickCount() - start);
    };
    for (const wchar_t* typed : {L"m", L"a", L"r", L"k", L"e"}) timed([&] { type(typed); });
    ASSERT_EQ(0, selection());
    DeleteFileW(marker.c_str());
    timed([&] { type(L"\r"); });
    for (const wchar_t* typed : {L"m", L"a", L"r"}) timed([&] { type(typed); });
    std::printf("slowest keystroke or launch while the history lock is held: %lu ms\n", slowest);
    EXPECT_LT(slowest, 1000u) << "far below the lock's 2 s wait";
    ASSERT_EQ(L"x", waitForMarker(marker));
    ReleaseMutex(lock.get());

    EXPECT_TRUE(pumpUntil([&] { return savedCount(launchedKey) == 1; })) << "saved once the lock is free";
    EXPECT_EQ(3u, savedCount(L"other band's launch")) << "on top of what the other band saved";
}

}  // namespace
