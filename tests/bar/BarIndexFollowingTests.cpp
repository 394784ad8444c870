// The index follows the disk while the user types, and lists the packaged apps of the shell's
// Applications folder (a stand-in here: Wine has no such folder).
#include "BarTestSupport.h"
#include "kestentry/IndexFile.h"
#include "kestentry/PackagedApps.h"
#include "UniqueHandle.h"
#include "search/TextRules.h"
#include <algorithm>
#include <functional>
#include <mutex>

using namespace kest;
using namespace kesttest;

namespace {

std::wstring notepad() { return systemFile(L"notepad.exe"); }

bool listed(const std::vector<std::wstring>& items, const std::wstring& text) {
    return std::find(items.begin(), items.end(), text) != items.end();
}

// Items as the shell's Applications folder gives them, changeable while the band runs.
class StandInAppsFolder : public AppsFolder {
public:
    std::vector<AppsFolderItem> items(const std::atomic<bool>&) override {
        std::lock_guard<std::mutex> lock(lock_);
        return items_;
    }
    void add(AppsFolderItem item) {
        std::lock_guard<std::mutex> lock(lock_);
        items_.push_back(std::move(item));
    }
    void clear() {
        std::lock_guard<std::mutex> lock(lock_);
        items_.clear();
    }

private:
    std::mutex lock_;
    std::vector<AppsFolderItem> items_;
};

class BarIndexFollowingTest : public BarFixture {
protected:
    void SetUp() override {
        BarFixture::SetUp();
        replaceAppsFolder(appsFolder);
    }
    void TearDown() override {
        BarFixture::TearDown();
        replaceAppsFolder(nullptr);
    }
    // Pumps while the bar follows the disk, until the list shows what expected says; the
    // box must stay shown, usable and unchanged throughout.
    bool waitWhileTyping(const std::function<bool(const std::vector<std::wstring>&)>& expected) {
        const std::wstring text = boxText();
        DWORD start = 0, end = 0;
        SendMessageW(editWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const DWORD began = GetTickCount();
        while (GetTickCount() - began < 30000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            pumpMessages();
            EXPECT_TRUE(IsWindowVisible(box()) && !bar->busy());
            EXPECT_EQ(text, boxText());
            DWORD nowStart = 0, nowEnd = 0;
            SendMessageW(editWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&nowStart), reinterpret_cast<LPARAM>(&nowEnd));
            EXPECT_EQ(start, nowStart);
            EXPECT_EQ(end, nowEnd);
            EXPECT_TRUE(listOpen());
            if (expected(items())) return true;
        }
        return false;
    }

    std::shared_ptr<StandInAppsFolder> appsFolder = std::make_shared<StandInAppsFolder>();
};

TEST_F(BarIndexFollowingTest, ShortcutsAddedRenamedAndDeletedFollowWhileTheListStaysOpen) {
    writeShortcut(startMenu + L"\\Notepad.lnk", notepad());
    startBar();
    type(L"no");
    ASSERT_TRUE(listOpen());
    const std::wstring top = L" (" + startMenu.substr(startMenu.rfind(L'\\') + 1) + L")";

    // In a folder made after the band started, so below the top of the watched tree.
    const std::wstring tools = startMenu + L"\\Tools";
    ASSERT_TRUE(CreateDirectoryW(tools.c_str(), nullptr));
    writeShortcut(tools + L"\\Notebook.lnk", notepad());
    EXPECT_TRUE(waitWhileTyping([&](const std::vector<std::wstring>& items) {
        return listed(items, L"Notebook (Tools)") && listed(items, L"Notepad" + top);
    }));
    ASSERT_TRUE(MoveFileW((tools + L"\\Notebook.lnk").c_str(), (tools + L"\\Nomad.lnk").c_str()));
    EXPECT_TRUE(waitWhileTyping([&](const std::vector<std::wstring>& items) {
        return listed(items, L"Nomad (Tools)") && !listed(items, L"Notebook (Tools)");
    }));
    ASSERT_TRUE(DeleteFileW((tools + L"\\Nomad.lnk").c_str()));
    EXPECT_TRUE(waitWhileTyping([&](const std::vector<std::wstring>& items) {
        return items == std::vector<std::wstring>{L"Notepad" + top};
    }));
    EXPECT_EQ(1u, inIndexFile("<KESTRUNEENTRY>")) << "the index file is rewritten after each rescan";
}

TEST_F(BarIndexFollowingTest, PackagedAppsAreListedLaunchedAndSavedOnceEach) {
    appsFolder->add({L"Calculator", L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App",
                     L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"});
    // An ordinary program of the folder comes through its shortcut, not as an app.
    appsFolder->add({L"Notepad", L"{1AC14E77-02E7-4E5D-B744-2EB1AE5198B7}\\notepad.exe", L""});
    writeShortcut(startMenu + L"\\Notepad.lnk", notepad());
    startBar();
    type(L"ca");
    EXPECT_EQ(std::vector<std::wstring>{L"Calculator (Apps)"}, items());
    const std::wstring path = std::wstring(AppsFolderPrefix) + L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App";
    ASSERT_EQ(1u, bar->index().count(path));
    EXPECT_EQ(path, bar->index().at(path).executable);
    EXPECT_EQ(2u, bar->index().size());
    {
        // The shell starts "shell:" targets through the handler of that protocol.
        const std::wstring folder = tempFolder(L"KestAppLaunch");
        const std::wstring marker = folder + L"\\launched.txt";
        const ClassesValue handler(L"shell\\shell\\open\\command", recordingCommand(marker));
        type(L"\r");
        EXPECT_EQ(path, waitForMarker(marker));
        ASSERT_NE(nullptr, bar->history().find(asciiLower(path)));
        EXPECT_EQ(1u, bar->history().find(asciiLower(path))->count);
        removeTree(folder);
    }
    type(L"ca");

    // Installed while the band runs: listed at the next rescan.
    appsFolder->add({L"Calendar", L"microsoft.windowscommunicationsapps_8wekyb3d8bbwe!microsoft.windowslive.calendar",
                     L"microsoft.windowscommunicationsapps_8wekyb3d8bbwe!microsoft.windowslive.calendar"});
    writeShortcut(startMenu + L"\\Touched.lnk", notepad());
    EXPECT_TRUE(waitWhileTyping([](const std::vector<std::wstring>& items) {
        return items == std::vector<std::wstring>{L"Calculator (Apps)", L"Calendar (Apps)"};
    }));
    EXPECT_EQ(4u, inIndexFile("<KESTRUNEENTRY>"));
    EXPECT_EQ(1u, inIndexFile("<path>shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App</path>"));
}

TEST_F(BarIndexFollowingTest, AppsChangedWhileNoBandRanReplaceThoseOfTheIndexFileSoonAfterTheStart) {
    appsFolder->add({L"Calculator", L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App",
                     L"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"});
    writeShortcut(startMenu + L"\\Notepad.lnk", notepad());
    startBar();
    bar.reset();
    appsFolder->clear();
    appsFolder->add({L"Calendar", L"microsoft.windowscommunicationsapps_8wekyb3d8bbwe!microsoft.windowslive.calendar",
                     L"microsoft.windowscommunicationsapps_8wekyb3d8bbwe!microsoft.windowslive.calendar"});
    // Read from the file, and no rescan follows: the apps listed after the read are what
    // replaces those of the file.
    writeForceUpdateOnStartup(false);
    writeWatchScanLocations(false);
    startBar();
    type(L"ca");
    EXPECT_TRUE(waitWhileTyping([](const std::vector<std::wstring>& items) {
        return items == std::vector<std::wstring>{L"Calendar (Apps)"};
    }));
    EXPECT_EQ(2u, bar->index().size());
    EXPECT_EQ(1u, inIndexFile("<path>shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App</path>"));
}

}  // namespace
