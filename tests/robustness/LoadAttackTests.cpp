// Faults and load, through the band module's exports as the taskbar uses it: the band
// created and destroyed many times in a row, every second time while it scans thousands of
// shortcuts; a thousand reload requests while a scan runs; the settings program's writers
// and the band writing the same key at once. The handle, GDI, USER and memory counts before
// and after the loops are printed; they must not grow.
#include "RobustnessSupport.h"
#include "BandModuleSupport.h"
#include "FakeBandSite.h"
#include "IndexTestSupport.h"
#include "DefaultScanLocations.h"
#include "SearchBarSettings.h"
#include "SettingsNames.h"
#include "StringListKey.h"
#include "kestentry/IndexFile.h"
#include "kestentry/IndexLoader.h"
#include <shlobj.h>
#include <shlwapi.h>
#include <atomic>
#include <set>

namespace robust {
namespace {

using kest::test::BandModule;
using kest::test::FakeBandSite;
using kest::test::HostStrip;
using kest::test::pumpMessages;

size_t shortcutCount() { return static_cast<size_t>(std::min(5000, 1000 * scale())); }
int cycleCount() { return std::min(200, 40 * scale()); }

std::wstring appDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

void setDword(const wchar_t* name, DWORD value) {
    kest::UniqueHKey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, kest::SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

// One band on one strip, sited and shown as the taskbar does it.
class SitedBand {
public:
    SitedBand(const BandModule& module, HWND strip) {
        band_ = module.createBand();
        if (!band_) return;
        deskBand_ = band_.query<IDeskBand>();
        withSite_ = band_.query<IObjectWithSite>();
        site_ = kest::ComPtr<FakeBandSite>::attach(new FakeBandSite(strip));
        if (!deskBand_ || !withSite_ || FAILED(withSite_->SetSite(static_cast<IOleWindow*>(site_.get())))) return;
        pumpMessages();  // the posted creation of the bar
        deskBand_->ShowDW(TRUE);
        HWND window = nullptr;
        deskBand_->GetWindow(&window);
        SetWindowPos(window, nullptr, 0, 0, 500, 22, SWP_NOZORDER | SWP_NOACTIVATE);
        pumpMessages();
    }
    SitedBand(const SitedBand&) = delete;
    SitedBand& operator=(const SitedBand&) = delete;
    ~SitedBand() { close(); }

    void close() {
        if (deskBand_) deskBand_->CloseDW(0);
        if (withSite_) withSite_->SetSite(nullptr);
        deskBand_.reset();
        withSite_.reset();
        band_.reset();
        if (site_) site_->lastFocusObject.reset();
        site_.reset();
        pumpMessages();
    }

    HWND bar() const {
        HWND window = nullptr;
        if (deskBand_) deskBand_->GetWindow(&window);
        return window ? GetWindow(window, GW_CHILD) : nullptr;
    }
    HWND box() const {
        HWND bar = this->bar();
        return bar ? FindWindowExW(bar, nullptr, L"ComboBox", nullptr) : nullptr;
    }
    HWND edit() const {
        HWND box = this->box();
        return box ? GetWindow(box, GW_CHILD) : nullptr;
    }
    bool exists() const { return box() != nullptr; }
    // The box is hidden while the worker loads or scans.
    bool idle() const { return box() && IsWindowVisible(box()); }
    void waitUntilIdle() const {
        while (exists() && !idle()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            pumpMessages();
            heartbeat();
        }
        pumpMessages();
    }
    int itemCount() const { return box() ? static_cast<int>(SendMessageW(box(), CB_GETCOUNT, 0, 0)) : -1; }

private:
    kest::ComPtr<IUnknown> band_;
    kest::ComPtr<IDeskBand> deskBand_;
    kest::ComPtr<IObjectWithSite> withSite_;
    kest::ComPtr<FakeBandSite> site_;
};

class LoadAttack : public ::testing::Test {
protected:
    void SetUp() override {
        if (!inChild()) GTEST_SKIP() << "runs in the child process of Robustness.Load";
        ASSERT_TRUE(SUCCEEDED(com.result()));
        ASSERT_TRUE(module.loaded());
        ASSERT_TRUE(strip.hwnd());
        SHDeleteKeyW(HKEY_CURRENT_USER, kest::SettingsKeyPath);
        // The bar lists the shortcuts only: the sources without files stay out of the counts.
        kest::writeIncludeSettingsPages(false);
        kest::writeIncludeSystemCommands(false);
        kest::writeIncludeControlPanel(false);
        dataFolder = appDataFolder() + L"\\Brindlewood\\Kestrune";
        SHCreateDirectoryExW(nullptr, dataFolder.c_str(), nullptr);
        DeleteFileW((dataFolder + L"\\mapdata.xml").c_str());

        // Many copies of one link to a program that exists: each is loaded and resolved.
        kest::test::LinkFields fields;
        fields.target = kest::test::systemFolder() + L"\\notepad.exe";
        const std::wstring first = shortcuts / L"Program 0.lnk";
        ASSERT_TRUE(kest::test::writeLink(first, fields));
        for (size_t i = 1; i < shortcutCount(); ++i) {
            const std::wstring folder = shortcuts / (L"Group " + std::to_wstring(i % 50));
            CreateDirectoryW(folder.c_str(), nullptr);
            ASSERT_TRUE(CopyFileW(first.c_str(), (folder + L"\\Program " + std::to_wstring(i) + L".lnk").c_str(), FALSE));
        }
        ASSERT_TRUE(kest::test::writeUrlFile(small1 / L"Alpha Tool.url", L"http://alpha.example/"));
        ASSERT_TRUE(kest::test::writeUrlFile(small1 / L"Alpha Other.url", L"http://other.example/"));
        ASSERT_TRUE(kest::test::writeUrlFile(small2 / L"Beta Tool.url", L"http://beta.example/"));
        kest::WriteStringListKey(kest::ScanPathsKeyPath, {shortcuts.path()});
        // No hot key: a thousand bands would fight over it.
        setDword(kest::SettingName::HotKeyDisable, 1);
    }
    void TearDown() override {
        if (!inChild()) return;
        SHDeleteKeyW(HKEY_CURRENT_USER, kest::SettingsKeyPath);
        DeleteFileW((dataFolder + L"\\mapdata.xml").c_str());
    }

    // Entries of the index file on disk; the file must always be a complete one.
    size_t indexFileEntries() {
        std::atomic<bool> abort{false};
        kest::ScanContext context{abort};
        kest::ShortcutIndex index;
        const kest::IndexLoadResult result =
            kest::loadOrScanIndex(context, {}, false, index, dataFolder + L"\\mapdata.xml");
        return result == kest::IndexLoadResult::ReadFromFile ? index.size() : 0;
    }

    void checkGrowth(const std::string& loop, const ResourceCounts& before, const ResourceCounts& after) {
        recordLine("[figures]   Load " + loop + " before: " + describe(before));
        recordLine("[figures]   Load " + loop + " after:  " + describe(after));
        if (after.handles > before.handles + 16) reportWrong(loop + ": handles leak");
        if (after.gdiObjects > before.gdiObjects + 16) reportWrong(loop + ": GDI objects leak");
        if (after.userObjects > before.userObjects + 16) reportWrong(loop + ": USER objects leak");
        if (after.privateBytes > before.privateBytes + (24u << 20)) reportWrong(loop + ": memory grows");
    }

    int cycles(std::uint64_t input);
    int reloadStorm();
    int concurrentWriters();

    kest::ComInitialization com;
    BandModule module;
    HostStrip strip{800, 40};
    kest::test::TemporaryFolder shortcuts, small1, small2;
    std::wstring dataFolder;
    ResourceCounts cyclesBefore;
    int destroyedWhileScanning = 0;
};

int LoadAttack::cycles(std::uint64_t input) {
    const std::string where = "cycle " + std::to_string(input);
    const bool duringScan = input % 2 == 1;
    // The first cycle scans and writes the index file that the idle cycles read.
    setDword(kest::SettingName::ForceUpdateOnStartup, input == 0 || duringScan ? 1 : 0);
    {
        SitedBand band(module, strip.hwnd());
        if (!band.exists()) {
            reportWrong(where + ": no bar");
            return 0;
        }
        if (duringScan) {
            if (!band.idle()) ++destroyedWhileScanning;
        } else {
            band.waitUntilIdle();
            if (band.itemCount() <= 0) reportWrong(where + ": an idle bar lists nothing");
        }
        band.close();
    }
    pumpMessages();
    if (module.canUnloadWithin(1000) != S_OK) reportWrong(where + ": the module stays busy after the band closed");
    if (input == 0) cyclesBefore = resourceCounts();
    int lost = 0;
    if (input + 1 == static_cast<std::uint64_t>(cycleCount())) {
        checkGrowth(std::to_string(cycleCount()) + " band cycles", cyclesBefore, resourceCounts());
        recordLine("[figures]   Load: " + std::to_string(destroyedWhileScanning) + " bands destroyed during a scan of " +
                   std::to_string(shortcutCount()) + " shortcuts");
        const size_t entries = indexFileEntries();
        if (entries != shortcutCount()) lost += static_cast<int>(shortcutCount() - std::min(entries, shortcutCount()));
    }
    return lost;
}

int LoadAttack::reloadStorm() {
    setDword(kest::SettingName::ForceUpdateOnStartup, 1);
    int reloadsSeen = 0;
    ResourceCounts before;
    {
        SitedBand warmUp(module, strip.hwnd());
        warmUp.waitUntilIdle();
    }
    before = resourceCounts();
    {
        SitedBand band(module, strip.hwnd());
        if (!band.exists()) {
            reportWrong("storm: no bar");
            return 0;
        }
        int posted = 0;
        bool wasIdle = band.idle();
        while (posted < 1000) {
            HWND notification = FindWindowW(L"BB676CE4-D76C-409b-9F4F-1ADC302DB669", nullptr);
            if (!notification) {
                reportWrong("storm: no notification window");
                break;
            }
            PostMessageW(notification, WM_COMMAND, 3008, 0);
            if (++posted % 50 == 0) {
                // Ctrl+R and the menu's Refresh reach the same command.
                PostMessageW(band.bar(), WM_SYSCHAR, L'r', 0);
                PostMessageW(band.bar(), WM_COMMAND, 3008, 0);
                pumpMessages();
            }
            const bool idle = band.idle();
            if (wasIdle && !idle) ++reloadsSeen;
            wasIdle = idle;
        }
        band.waitUntilIdle();
        pumpMessages();
        band.waitUntilIdle();
        if (band.itemCount() != static_cast<int>(shortcutCount()))
            reportWrong("storm: the bar lists " + std::to_string(band.itemCount()) + " items after the storm");
        band.close();
    }
    if (module.canUnloadWithin(1000) != S_OK) reportWrong("storm: the module stays busy after the band closed");
    checkGrowth("1000 reload requests during a scan", before, resourceCounts());
    recordLine("[figures]   Load: " + std::to_string(reloadsSeen) + " new scans started while 1000 requests were posted");
    const size_t entries = indexFileEntries();
    return entries == shortcutCount() ? 0 : static_cast<int>(shortcutCount() - std::min(entries, shortcutCount()));
}

DWORD readRaw(const wchar_t* name, DWORD& type, DWORD& size) {
    DWORD value = 0;
    size = sizeof(value);
    type = REG_NONE;
    kest::UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kest::SettingsKeyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        size = 0;
        return 0;
    }
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        size = 0;
    return value;
}

int LoadAttack::concurrentWriters() {
    kest::WriteStringListKey(kest::ScanPathsKeyPath, {small1.path()});
    SHDeleteKeyW(HKEY_CURRENT_USER, kest::ScanPathsKeyPath);
    kest::WriteStringListKey(kest::ScanPathsKeyPath, {small1.path()});
    setDword(kest::SettingName::ForceUpdateOnStartup, 1);
    SitedBand band(module, strip.hwnd());
    band.waitUntilIdle();

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    PathRemoveFileSpecW(self);
    const int iterations = 300 * scale();
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\\robustness_settings_writer.exe\" " +
                               std::to_wstring(iterations) + L" \"" + small1.path() + L"\" \"" + small2.path() + L"\"";
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        reportWrong("writers: cannot start the settings writer");
        return 0;
    }
    kest::UniqueKernelHandle process(child.hProcess), thread(child.hThread);
    static const wchar_t letters[] = L"KLMFIR";
    int keys = 0;
    while (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        HWND edit = band.edit();
        if (!edit) break;
        const wchar_t letter = letters[keys++ % 6];
        SendMessageW(edit, WM_KEYDOWN, VK_CONTROL, 1);
        SendMessageW(edit, WM_KEYDOWN, letter, 1);
        SendMessageW(edit, WM_KEYUP, letter, 0xC0000001);
        SendMessageW(edit, WM_KEYUP, VK_CONTROL, 0xC0000001);
        MsgWaitForMultipleObjects(1, reinterpret_cast<HANDLE*>(&child.hProcess), FALSE, 5, QS_ALLINPUT);
        pumpMessages();
        if (keys % 100 == 0) heartbeat();
    }
    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.get(), &exitCode);
    if (exitCode != 0) reportWrong("writers: the settings writer failed with " + std::to_string(exitCode));
    band.waitUntilIdle();

    // Every value is whole: a number of the right type and size in its range.
    DWORD type = 0, size = 0;
    const DWORD mode = readRaw(kest::SettingName::MatchMode, type, size);
    if (type != REG_DWORD || size != 4 || mode > 2) reportWrong("writers: the match mode is damaged");
    for (const wchar_t* name : {kest::SettingName::IncludeHistory, kest::SettingName::IncludeFolderItems,
                                kest::SettingName::ForceUpdateOnStartup}) {
        const DWORD value = readRaw(name, type, size);
        if (type != REG_DWORD || size != 4 || value > 1) reportWrong("writers: " + narrow(name) + " is damaged");
    }
    // The writer's last list is there; anything else can only be the band's default folders,
    // installed when it read the list between a deletion and the writing that followed.
    kest::StringList list;
    kest::ReadStringListKey(kest::ScanPathsKeyPath, list);
    const std::set<std::wstring> items(list.begin(), list.end());
    int lost = items.count(small1.path()) ? 0 : 1;
    kest::StringList defaults;
    kest::buildDefaultScanLocations(defaults);
    std::set<std::wstring> allowed(defaults.begin(), defaults.end());
    allowed.insert(small1.path());
    allowed.insert(small2.path());
    for (const std::wstring& item : items)
        if (allowed.count(item) == 0) reportWrong("writers: a scan location nobody wrote: " + narrow(item));

    // The band still works: a reload finds the writer's last list.
    PostMessageW(FindWindowW(L"BB676CE4-D76C-409b-9F4F-1ADC302DB669", nullptr), WM_COMMAND, 3008, 0);
    pumpMessages();
    band.waitUntilIdle();
    HWND edit = band.edit();
    SetFocus(edit);
    for (wchar_t c : std::wstring(L"alpha")) SendMessageW(edit, WM_CHAR, c, 1);
    pumpMessages();
    if (band.itemCount() < 2) {
        reportWrong("writers: after the race the bar lists " + std::to_string(band.itemCount()) + " alpha items");
        ++lost;
    }
    recordLine("[figures]   Load: " + std::to_string(keys) + " band keys against " + std::to_string(iterations) +
               " rounds of the settings program's writers");
    band.close();
    return lost;
}

TEST_F(LoadAttack, Load) {
    const std::uint64_t total = static_cast<std::uint64_t>(cycleCount()) + 2;
    runInputs(total, [&](std::uint64_t input) {
        if (input < static_cast<std::uint64_t>(cycleCount())) return cycles(input);
        if (input == static_cast<std::uint64_t>(cycleCount())) return reloadStorm();
        return concurrentWriters();
    });
}

TEST(Robustness, Load) {
    const Figures figures = runSurface("Load", static_cast<std::uint64_t>(cycleCount()) + 2, 300);
    EXPECT_EQ(0, figures.crashes);
    EXPECT_EQ(0, figures.hangs);
    EXPECT_EQ(0, figures.lost);
    EXPECT_EQ(0, figures.wrong);
}

}  // namespace
}  // namespace robust
