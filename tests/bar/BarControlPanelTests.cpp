// The items of the shell's Control Panel folder: Wine's own, listed, started and closed again,
// and a stand-in's, changing while the band runs.
#include "BarTestSupport.h"
#include "SettingsNames.h"
#include "UniqueHandle.h"
#include "kestentry/CIndexKeeper.h"
#include "kestentry/ControlPanelItems.h"
#include "kestentry/EntryForms.h"
#include "search/TextRules.h"
#include <algorithm>
#include <mutex>

using namespace kest;
using namespace kesttest;

namespace {

// Waits for the applet's window, closes it and waits for its process to end; false when no
// window came or the process had to be ended.
bool closeAppletWindow(const wchar_t* caption) {
    HWND window = nullptr;
    for (const DWORD began = GetTickCount(); !window && GetTickCount() - began < 30000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        pumpMessages();
        window = FindWindowW(L"#32770", caption);
        if (window && !IsWindowVisible(window)) window = nullptr;
    }
    if (!window) return false;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    if (!process) return false;
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0) return true;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), 5000);
    return false;
}

// Items as the shell's Control Panel folder gives them, changeable while the band runs.
class StandInControlPanel : public ControlPanelFolder {
public:
    std::vector<ControlPanelItem> items(const std::atomic<bool>&) override {
        std::lock_guard<std::mutex> lock(lock_);
        return items_;
    }
    void add(ControlPanelItem item) {
        std::lock_guard<std::mutex> lock(lock_);
        items_.push_back(std::move(item));
    }

private:
    std::mutex lock_;
    std::vector<ControlPanelItem> items_;
};

class BarControlPanelTest : public BarFixture {
protected:
    void SetUp() override {
        BarFixture::SetUp();
        setDword(SettingName::IncludeControlPanel, 1);
    }
    void TearDown() override {
        BarFixture::TearDown();
        replaceControlPanelFolder(nullptr);
        CIndexKeeper::setListingInterval(0);
    }
};

}  // namespace

TEST_F(BarControlPanelTest, WinesItemIsListedStartedByEnterAndByCtrlShiftEnterAndSavedOnce) {
    startBar();
    type(L"game c");
    ASSERT_EQ(std::vector<std::wstring>{L"Game Controllers (Control Panel)"}, items());
    const auto found = std::find_if(bar->index().begin(), bar->index().end(),
                                    [](const auto& item) { return item.second.name == L"Game Controllers"; });
    ASSERT_NE(bar->index().end(), found);
    const ShortcutEntry entry = found->second;
    EXPECT_EQ(EntryForm::ControlPanelItem, entryFormOf(entry.path));
    EXPECT_EQ(entry.path, entry.executable);

    type(L"\r");
    EXPECT_TRUE(closeAppletWindow(L"Game Controllers")) << "started by Enter";
    EXPECT_EQ(L"", boxText());
    type(L"game c");
    pressCtrlShift(editWindow(), VK_RETURN, L'\n');
    EXPECT_TRUE(closeAppletWindow(L"Game Controllers")) << "started by Ctrl+Shift+Enter as by Enter";
    const HistoryEntry* counted = bar->history().find(asciiLower(entry.path));
    ASSERT_NE(nullptr, counted);
    EXPECT_EQ(2u, counted->count);

    EXPECT_EQ(1u, inIndexFile("<name>Game Controllers</name>")) << "saved once in the index file";
}

TEST_F(BarControlPanelTest, ItemsFollowTheFolderAndTheSettingWhileTheBandRuns) {
    auto folder = std::make_shared<StandInControlPanel>();
    folder->add({L"Power Options", L"::{26EE0668-A00A-44D7-9371-BEB064C98683}\\0\\::{025A5937-A6BE-4686-A844-36FE4BEC8B6D}",
                 L"", 0});
    replaceControlPanelFolder(folder);
    CIndexKeeper::setListingInterval(500);
    startBar();
    type(L"control");
    EXPECT_TRUE(items().empty()) << "the folder in parentheses is not matched";
    type(L"\b\b\b\b\b\b\bpro");

    // Installed while the band runs: nothing on the disk changes, the listing brings it.
    folder->add({L"Programs and Features",
                 L"::{26EE0668-A00A-44D7-9371-BEB064C98683}\\0\\::{7B81BE6A-CE2B-4676-A29E-EB907A5126C5}", L"", 0});
    bool listed = false;
    for (const DWORD began = GetTickCount(); !listed && GetTickCount() - began < 30000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        pumpMessages();
        listed = items() == std::vector<std::wstring>{L"Programs and Features (Control Panel)"};
    }
    EXPECT_TRUE(listed);
    const std::wstring path =
        std::wstring(ControlPanelItemPrefix) + L"::{26EE0668-A00A-44D7-9371-BEB064C98683}\\0\\::{7B81BE6A-CE2B-4676-A29E-EB907A5126C5}";
    EXPECT_EQ(1u, bar->index().count(path));

    // Cleared, the setting takes the items away at the next load.
    setDword(SettingName::IncludeControlPanel, 0);
    bar->Reload();
    ASSERT_TRUE(waitUntilIdle(*bar));
    EXPECT_EQ(0u, bar->index().count(path));
}
