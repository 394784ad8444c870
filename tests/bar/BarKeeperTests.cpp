// The bar never waits for its index thread, that thread serves its message queue while it
// waits, and a band that starts from the index file catches up with the disk.
#include "BarTestSupport.h"
#include "BarCommands.h"
#include "ComObject.h"
#include "SettingsNames.h"
#include "UniqueHandle.h"
#include "kestentry/IndexFile.h"
#include "kestentry/ShortcutFiles.h"
#include "search/ProgramIconCache.h"
#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>

using namespace kest;
using namespace kesttest;

namespace {

std::wstring notepad() { return systemFile(L"notepad.exe"); }

std::string fileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Milliseconds that call takes.
template <typename Call>
ULONGLONG timed(Call call) {
    const ULONGLONG start = GetTickCount64();
    call();
    return GetTickCount64() - start;
}

// A target check as slow as one on an offline server: every call waits until the test
// releases it (20 s at most).
class StalledTargetCheck : public TargetCheck {
public:
    bool exists(const wchar_t*) override {
        ++entered;
        WaitForSingleObject(released.get(), 20000);
        return true;
    }
    std::atomic<int> entered{0};
    UniqueKernelHandle released{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

class BarKeeperTest : public BarFixture {
protected:
    void TearDown() override {
        replaceTargetCheck(nullptr);
        BarFixture::TearDown();
    }
};

TEST_F(BarKeeperTest, ReloadAndClosingDuringASlowTargetCheckReturnAtOnceAndWriteNoIndexFile) {
    writeShortcut(startMenu + L"\\Notepad.lnk", notepad());
    const LONG threadsBefore = LiveObjectCount::value();
    startBar();
    const std::string saved = fileBytes(indexFilePath());
    ASSERT_NE(std::string::npos, saved.find("Notepad.lnk"));

    auto check = std::make_shared<StalledTargetCheck>();
    replaceTargetCheck(check);
    writeShortcut(startMenu + L"\\WordPad.lnk", notepad());
    // The background rescan after that change.
    ASSERT_TRUE(pumpUntil([&] { return check->entered == 1; }, 30000));
    EXPECT_LT(timed([&] { SendMessageW(bar->hwnd(), WM_COMMAND, ReloadCommandId, 0); }), 100u);
    EXPECT_TRUE(bar->busy());
    // The rescan the reload asked for.
    ASSERT_TRUE(pumpUntil([&] { return check->entered == 2; }, 30000));
    // Far below the step's 20 s; on a loaded machine the window's own teardown takes more
    // than the stop.
    EXPECT_LT(timed([&] { bar.reset(); }), 500u);

    SetEvent(check->released.get());
    EXPECT_TRUE(pumpUntil([&] { return LiveObjectCount::value() == threadsBefore; }, 20000)) << "both threads end";
    EXPECT_EQ(saved, fileBytes(indexFilePath())) << "the abandoned scans wrote nothing";
}

struct HookTraits {
    using Handle = HHOOK;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle h) noexcept { UnhookWindowsHookEx(h); }
};

// Sees, on the thread it hooks, each message taken off that thread's queue.
std::atomic<ULONGLONG> takenAt{0};
constexpr UINT ProbeMessage = WM_APP + 0x77;
constexpr WPARAM ProbeTag = 0x4B455354;

LRESULT CALLBACK watchTakenMessages(int code, WPARAM removal, LPARAM message) {
    const MSG* taken = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && taken->message == ProbeMessage && taken->wParam == ProbeTag)
        takenAt = GetTickCount64();
    return CallNextHookEx(nullptr, code, removal, message);
}

// Milliseconds from posting a message to thread until the thread took it off its queue.
ULONGLONG postedMessageTakenAfter(DWORD thread) {
    const UniqueHandle<HookTraits> hook(SetWindowsHookExW(WH_GETMESSAGE, watchTakenMessages, nullptr, thread));
    EXPECT_TRUE(hook);
    takenAt = 0;
    const ULONGLONG posted = GetTickCount64();
    EXPECT_TRUE(PostThreadMessageW(thread, ProbeMessage, ProbeTag, 0));
    EXPECT_TRUE(pumpUntil([] { return takenAt != 0; }, 5000));
    return takenAt - posted;
}

TEST_F(BarKeeperTest, TheIndexAndIconThreadsTakeAPostedMessageOffTheirQueuesWhileTheyWait) {
    writeShortcut(startMenu + L"\\Notepad.lnk", notepad());
    startBar();
    const DWORD indexThread = bar->indexThreadId();
    ASSERT_NE(0u, indexThread);
    // Time to settle into its wait for changes.
    pumpUntil([] { return false; }, 300);
    EXPECT_LT(postedMessageTakenAfter(indexThread), 100u) << "the index thread";

    // The list's icons start the icon thread, which waits once they are extracted.
    SetFocus(editWindow());
    type(L"note");
    ProgramIconCache& icons = *bar->searchBox().programIcons();
    UpdateWindow(bar->searchBox().listWindow());
    ASSERT_TRUE(pumpUntil([&] { return icons.threadId() != 0 && icons.pendingCount() == 0; }, 10000));
    pumpUntil([] { return false; }, 100);
    EXPECT_LT(postedMessageTakenAfter(icons.threadId()), 100u) << "the icon thread";
}

TEST_F(BarKeeperTest, AShortcutAddedWhileNoBandRanIsListedSoonAfterTheStart) {
    setDword(SettingName::ForceUpdateOnStartup, 0);
    writeShortcut(startMenu + L"\\Notepad.lnk", notepad());
    startBar();
    bar.reset();
    writeShortcut(startMenu + L"\\Notebook.lnk", notepad());

    const ULONGLONG started = GetTickCount64();
    startBar();
    EXPECT_EQ(1u, bar->index().size()) << "read from the index file";
    type(L"no");
    const std::wstring top = L" (" + startMenu.substr(startMenu.rfind(L'\\') + 1) + L")";
    EXPECT_TRUE(pumpUntil(
        [&] {
            const std::vector<std::wstring> listed = items();
            return std::find(listed.begin(), listed.end(), L"Notebook" + top) != listed.end();
        },
        15000 - static_cast<DWORD>(std::min<ULONGLONG>(GetTickCount64() - started, 15000))));
}

}  // namespace
