// Settings pages and system commands in the list: matched by their names only, started
// through the one launcher, counted, saved in the index file, gone once their setting is
// cleared. The system commands' calls go to a recorder: no test locks, suspends, signs out
// or shuts down the machine.
#include "BarTestSupport.h"
#include "SearchBarSettings.h"
#include "kestentry/SettingsPageTable.h"
#include "kestentry/SettingsPages.h"
#include "kestentry/SystemCommands.h"
#include "search/ItemFolder.h"
#include "search/TextRules.h"
#include <mutex>

using namespace kest;
using namespace kesttest;

namespace {

// Records each call as text; reports the power capabilities it is given.
class RecordingSystemCalls : public SystemCalls {
public:
    bool getPwrCapabilities(SYSTEM_POWER_CAPABILITIES& reported) override {
        std::lock_guard<std::mutex> guard(lock_);
        ++checks;
        reported = capabilities;
        return true;
    }
    bool lockWorkStation() override { return note(L"LockWorkStation"); }
    bool exitWindowsEx(UINT flags, DWORD reason) override {
        wchar_t call[64];
        swprintf(call, 64, L"ExitWindowsEx 0x%x 0x%lx", flags, reason);
        return note(call);
    }
    bool setSuspendState(bool hibernate) override { return note(hibernate ? L"hibernate" : L"sleep"); }
    HRESULT shEmptyRecycleBin(HWND owner) override {
        emptyingOwner = owner;
        return note(L"SHEmptyRecycleBinW"), S_OK;
    }
    bool adjustShutdownPrivilege(bool enable, bool& wasEnabled) override {
        wasEnabled = false;
        return note(enable ? L"enable shutdown privilege" : L"disable shutdown privilege");
    }
    std::vector<std::wstring> take() {
        std::lock_guard<std::mutex> guard(lock_);
        return std::move(calls_);
    }
    SYSTEM_POWER_CAPABILITIES capabilities{};
    int checks = 0;
    HWND emptyingOwner = nullptr;

private:
    bool note(const std::wstring& call) {
        std::lock_guard<std::mutex> guard(lock_);
        calls_.push_back(call);
        return true;
    }
    std::mutex lock_;
    std::vector<std::wstring> calls_;
};

// The message box the bar's thread shows, answered by pressing one of its buttons.
struct Question {
    int button = IDNO;
    int asked = 0;
    HWND owner = nullptr;
    std::wstring texts;  // of its controls
} question;

BOOL CALLBACK findQuestionBox(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") == 0 && IsWindowVisible(window)) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

BOOL CALLBACK collectText(HWND child, LPARAM) {
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    question.texts += text + std::wstring(L"|");
    return TRUE;
}

void CALLBACK answerQuestion(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findQuestionBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    ++question.asked;
    question.owner = GetWindow(box, GW_OWNER);
    EnumChildWindows(box, collectText, 0);
    SendMessageW(GetDlgItem(box, question.button), BM_CLICK, 0, 0);
}

class BarEntryFormsTest : public BarFixture {
protected:
    void SetUp() override {
        BarFixture::SetUp();
        replaceSystemCalls(calls);
    }
    void TearDown() override {
        BarFixture::TearDown();
        replaceSystemCalls(nullptr);
    }
    // Enter (or Ctrl+Shift+Enter) on the text's only item, a question answered with button.
    void launch(const std::wstring& text, const std::wstring& shown, int button = IDNO, bool ctrlShift = false) {
        type(L"\x1b" + text);
        ASSERT_EQ(std::vector<std::wstring>{shown}, items());
        ASSERT_EQ(0, selection());
        question = Question{button};
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, answerQuestion);
        if (ctrlShift)
            pressCtrlShift(editWindow(), VK_RETURN, L'\n');
        else
            type(L"\r");
        KillTimer(nullptr, timer);
    }
    unsigned launches(const std::wstring& path) {
        const HistoryEntry* counted = bar->history().find(asciiLower(path));
        return counted ? counted->count : 0;
    }
    // Clears the source's setting and rescans, as the settings program asks it.
    void clearAndRescan(LONG (*writeSetting)(bool)) {
        writeSetting(false);
        SendMessageW(bar->hwnd(), WM_COMMAND, ReloadCommandId, 0);
        ASSERT_TRUE(waitUntilIdle(*bar));
    }

    std::shared_ptr<RecordingSystemCalls> calls = std::make_shared<RecordingSystemCalls>();
};

// Wine 8 reports Windows 7, so under Wine a test of the Settings pages runs again in a child
// process to which Wine reports Windows 10 (its per-program setting, removed afterwards).
// True when the test is to run here; otherwise the child's result has been checked.
bool runsWhereTheSettingsAppExists() {
    if (settingsAppExists()) return true;
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return false;
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring key = std::wstring(L"Software\\Wine\\AppDefaults\\") + (wcsrchr(program, L'\\') + 1);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", RRF_RT_ANY, nullptr, nullptr, nullptr));
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, L"win10", 12);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::wstring line = L"\"" + std::wstring(program) + L"\" --gtest_filter=";
    for (const char* name : {test->test_suite_name(), ".", test->name()}) line.append(name, name + strlen(name));
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION started{};
    const bool ran = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started);
    DWORD exitCode = 1;
    if (ran) {
        if (WaitForSingleObject(started.hProcess, 120000) != WAIT_OBJECT_0) TerminateProcess(started.hProcess, 1);
        GetExitCodeProcess(started.hProcess, &exitCode);
        CloseHandle(started.hProcess);
        CloseHandle(started.hThread);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    EXPECT_TRUE(ran);
    EXPECT_EQ(0u, exitCode) << "the test as a program told it runs on Windows 10";
    return false;
}

TEST_F(BarEntryFormsTest, SettingsPagesAreListedStartedThroughTheirProtocolSavedOnceEachAndGoWithTheirSetting) {
    if (!runsWhereTheSettingsAppExists()) return;
    writeIncludeSettingsPages(true);
    startBar();
    type(L"settings");
    EXPECT_TRUE(bar->matchSet().empty()) << "the folder in parentheses is not matched";

    const std::wstring folder = tempFolder(L"KestSettingsLaunch");
    const std::wstring marker = folder + L"\\launched.txt";
    {
        const ClassesValue handler(L"ms-settings\\shell\\open\\command", recordingCommand(marker));
        launch(L"bluet", L"Bluetooth & devices (Settings)");
        EXPECT_EQ(L"ms-settings:bluetooth", waitForMarker(marker));
        EXPECT_EQ(L"", boxText());
        EXPECT_EQ(1u, launches(L"ms-settings:bluetooth"));
        DeleteFileW(marker.c_str());

        launch(L"vpn", L"VPN (Settings)", IDNO, true);
        EXPECT_EQ(L"ms-settings:network-vpn", waitForMarker(marker)) << "Ctrl+Shift+Enter opens it as Enter does";
    }
    removeTree(folder);
    for (unsigned page = 0; page < SettingsPageCount; ++page) {
        const std::wstring address = SettingsPages[page].address;
        EXPECT_EQ(1u, inIndexFile("<path>" + std::string(address.begin(), address.end()) + "</path>"));
    }

    clearAndRescan(writeIncludeSettingsPages);
    type(L"\x1b" L"bluet");
    EXPECT_TRUE(bar->matchSet().empty());
    EXPECT_EQ(0u, inIndexFile("ms-settings:"));
}

TEST_F(BarEntryFormsTest, SystemCommandsMakeTheirCallsAfterAYesAndNothingAfterANo) {
    calls->capabilities.SystemS3 = calls->capabilities.SystemS4 = calls->capabilities.HiberFilePresent = TRUE;
    writeIncludeSystemCommands(true);
    startBar();
    const HWND barWindow = GetAncestor(bar->hwnd(), GA_ROOT);
    struct Command {
        const wchar_t *typed, *shown, *path, *asks;
        std::vector<std::wstring> calls;
    };
    const Command commands[] = {
        {L"lock", L"Lock (System)", L"kestrune:lock", nullptr, {L"LockWorkStation"}},
        {L"sign", L"Sign Out (System)", L"kestrune:signout", L"Sign out now?", {L"ExitWindowsEx 0x0 0x0"}},
        {L"sleep", L"Sleep (System)", L"kestrune:sleep", L"Put the computer to sleep now?", {L"sleep"}},
        {L"hibern", L"Hibernate (System)", L"kestrune:hibernate", L"Hibernate the computer now?", {L"hibernate"}},
        {L"restart", L"Restart (System)", L"kestrune:restart", L"Restart the computer now?",
         {L"enable shutdown privilege", L"ExitWindowsEx 0x2 0x80000000", L"disable shutdown privilege"}},
        {L"shut", L"Shut Down (System)", L"kestrune:shutdown", L"Shut down the computer now?",
         {L"enable shutdown privilege", L"ExitWindowsEx 0x400001 0x80000000", L"disable shutdown privilege"}},
        {L"empty", L"Empty Recycle Bin (System)", L"kestrune:emptyrecyclebin", nullptr, {L"SHEmptyRecycleBinW"}},
    };
    for (const Command& command : commands) {
        SCOPED_TRACE(command.shown);
        if (command.asks) {
            launch(command.typed, command.shown, IDNO);
            EXPECT_EQ(1, question.asked);
            EXPECT_EQ(barWindow, question.owner);
            EXPECT_NE(std::wstring::npos, question.texts.find(command.asks)) << question.texts;
            EXPECT_TRUE(calls->take().empty()) << "No calls nothing";
            EXPECT_EQ(L"", boxText()) << "and empties the box";
            EXPECT_EQ(0u, launches(command.path)) << "and records nothing";
        }
        launch(command.typed, command.shown, IDYES);
        EXPECT_EQ(command.asks ? 1 : 0, question.asked);
        EXPECT_EQ(command.calls, calls->take());
        EXPECT_EQ(1u, launches(command.path));
        EXPECT_EQ(1u, inIndexFile("<path>" + std::string(command.path, command.path + wcslen(command.path)) + "</path>"));
    }
    EXPECT_EQ(bar->hwnd(), calls->emptyingOwner) << "the shell's confirmation is owned by the bar";

    // Nothing here runs as administrator, and nothing has a folder to open.
    for (const Command& command : {commands[0], commands[5]}) {
        launch(command.typed, command.shown, IDYES, true);
        EXPECT_EQ(0, question.asked);
        EXPECT_TRUE(calls->take().empty()) << "Ctrl+Shift+Enter is refused";
        EXPECT_EQ(1u, launches(command.path));
    }
    for (const wchar_t* path : {L"kestrune:lock", L"ms-settings:display", L"kestrune:cpl:main.cpl,Mouse"})
        EXPECT_FALSE(openItemFolder(path)) << "Ctrl+Shift+E is refused";

    clearAndRescan(writeIncludeSystemCommands);
    type(L"\x1b" L"lock");
    EXPECT_TRUE(bar->matchSet().empty());
    EXPECT_EQ(0u, inIndexFile("kestrune:"));
}

TEST(SystemCommandEntriesTest, SleepAndHibernateAreListedOnlyWhereThePowerCapabilitiesReportThem) {
    RecordingSystemCalls calls;
    const auto listed = [&calls](const wchar_t* path) { return systemCommandEntries(calls).count(path) == 1; };
    EXPECT_EQ(5u, systemCommandEntries(calls).size());
    calls.capabilities.SystemS1 = calls.capabilities.SystemS4 = TRUE;
    EXPECT_TRUE(listed(L"kestrune:sleep"));
    EXPECT_FALSE(listed(L"kestrune:hibernate")) << "no hibernation file";
    calls.capabilities.HiberFilePresent = TRUE;
    EXPECT_TRUE(listed(L"kestrune:hibernate"));
    EXPECT_EQ(4, calls.checks) << "each listing checks once";
    EXPECT_TRUE(calls.take().empty()) << "listing calls nothing else";
}

}  // namespace
