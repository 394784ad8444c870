// The items of the shell's Control Panel folder: Wine's own, listed, started and closed again,
// and a stand-in's, changing while the band runs.
#include "BarTestSupport.h"
#include "SettingsNames.h"
#include "UniqueHandle.h"
#include "kestentry/CIndexKeeper.h"
#include "kestentry/ControlPanelItems.h"
#include "kestentry/EntryForms.h"
#include "search/TextRules.h"
#include <mutex>

using namespace kest;
using namespace kesttest;

namespace {

// Closes the applet's window once it shows and waits for its process; false when no window
// came or the process had to be ended.
bool closeAppletWindow(const wchar_t* caption) {
    HWND window = nullptr;
    for (const DWORD began = GetTickCount(); !window && GetTickCount() - began < 30000; pumpMessages()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        window = FindWindowW(L"#32770", caption);
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    if (!window || !process) return false;
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0) return true;
    TerminateProcess(process.get(), 1);
    return false;
}

// Items as the shell's folder gives them, changeable while the band runs.
class StandInControlPanel : public ControlPanelFolder {
public:
    std::vector<ControlPanelItem> items(const std::atomic<bool>&) override {
        std::lock_guard<std::mutex> lock(lock_);
        return items_;
    }
    void add(const wchar_t* name, const std::wstring& parsingName) {
        std::lock_guard<std::mutex> lock(lock_);
        items_.push_back({name, parsingName, L"", 0});
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
    // Wine's parsing names are display names: the applet's file and name start it.
    const std::wstring path = std::wstring(ControlPanelItemPrefix) + L"\"" + systemFile(L"joy.cpl") + L"\",\"Game Controllers\"";
    ASSERT_EQ(1u, bar->index().count(path));

    type(L"\r");
    EXPECT_TRUE(closeAppletWindow(L"Game Controllers")) << "started by Enter";
    type(L"game c");
    pressCtrlShift(editWindow(), VK_RETURN, L'\n');
    EXPECT_TRUE(closeAppletWindow(L"Game Controllers")) << "started by Ctrl+Shift+Enter as by Enter";
    ASSERT_NE(nullptr, bar->history().find(asciiLower(path)));
    EXPECT_EQ(2u, bar->history().find(asciiLower(path))->count);
    EXPECT_EQ(1u, inIndexFile("<name>Game Controllers</name>"));
}

TEST_F(BarControlPanelTest, ItemsFollowTheFolderAndTheSettingWhileTheBandRuns) {
    const std::wstring allItems = L"::{26EE0668-A00A-44D7-9371-BEB064C98683}\\0\\";
    const std::wstring programs = allItems + L"::{7B81BE6A-CE2B-4676-A29E-EB907A5126C5}";
    auto folder = std::make_shared<StandInControlPanel>();
    folder->add(L"Power Options", allItems + L"::{025A5937-A6BE-4686-A844-36FE4BEC8B6D}");
    replaceControlPanelFolder(folder);
    CIndexKeeper::setListingInterval(500);
    startBar();
    type(L"control");
    EXPECT_TRUE(items().empty()) << "the folder in parentheses is not matched";
    type(L"\b\b\b\b\b\b\bpro");

    // Installed while the band runs: nothing on the disk changes, the listing brings it.
    folder->add(L"Programs and Features", programs);
    bool listed = false;
    for (const DWORD began = GetTickCount(); !listed && GetTickCount() - began < 30000; pumpMessages()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        listed = items() == std::vector<std::wstring>{L"Programs and Features (Control Panel)"};
    }
    EXPECT_TRUE(listed);
    EXPECT_EQ(1u, bar->index().count(ControlPanelItemPrefix + programs)) << "stored by its own class name";

    setDword(SettingName::IncludeControlPanel, 0);
    bar->Reload();
    ASSERT_TRUE(waitUntilIdle(*bar));
    EXPECT_EQ(0u, bar->index().count(ControlPanelItemPrefix + programs)) << "gone with its setting";
}
