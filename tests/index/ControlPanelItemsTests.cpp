// The Control Panel folder as the shell lists it, and the forms that start its items again.
#include "ComPtr.h"
#include "kestentry/ControlPanelItems.h"
#include "kestentry/EntryForms.h"
#include <gtest/gtest.h>
#include <algorithm>

using namespace kest;

namespace {

const wchar_t* const ProgramsAndFeatures =
    L"::{26EE0668-A00A-44D7-9371-BEB064C98683}\\0\\::{7B81BE6A-CE2B-4676-A29E-EB907A5126C5}";

}  // namespace

TEST(ControlPanelItemsTest, TheShellsFolderListsItsAppletsWithTheirFilesUntilStopped) {
    ComInitialization com(COINIT_APARTMENTTHREADED);
    const std::atomic<bool> running{false};
    const std::vector<ControlPanelItem> items = currentControlPanelFolder()->items(running);
    const auto game = std::find_if(items.begin(), items.end(),
                                   [](const ControlPanelItem& item) { return item.displayName == L"Game Controllers"; });
    ASSERT_NE(items.end(), game);
    EXPECT_EQ(L"\"" + game->iconFile + L"\",\"Game Controllers\"", controlPanelStartForm(*game));
    EXPECT_NE(std::wstring::npos, game->iconFile.find(L"joy.cpl"));

    const std::atomic<bool> stopped{true};
    EXPECT_TRUE(currentControlPanelFolder()->items(stopped).empty());
}

TEST(ControlPanelItemsTest, EntriesStartByTheItemsOwnClassNameOrByTheAppletsFileAndName) {
    const std::vector<ControlPanelItem> items{
        {L"Programs and Features", ProgramsAndFeatures, L"C:\\Windows\\System32\\imageres.dll", -87},
        // A legacy applet below Windows' folder: its parsing name ends in no class name of its own.
        {L"Mail (Microsoft Outlook)", L"::{26EE0668-A00A-44D7-9371-BEB064C98683}\\0\\Mail (Microsoft Outlook)",
         L"C:\\Program Files\\Microsoft Office\\MLCFG32.CPL", 0},
        // Nothing starts these again: no class name and no applet file, or a quote in the name.
        {L"Orphan", L"Orphan", L"C:\\Windows\\System32\\shell32.dll", 3},
        {L"Say \"hi\"", L"Say \"hi\"", L"C:\\Windows\\System32\\say.cpl", 0},
    };
    const ShortcutIndex entries = controlPanelEntries(items);
    ASSERT_EQ(2u, entries.size());

    const std::wstring ownClass = std::wstring(ControlPanelItemPrefix) + ProgramsAndFeatures;
    ASSERT_EQ(1u, entries.count(ownClass));
    EXPECT_EQ(L"Programs and Features", entries.at(ownClass).name);
    EXPECT_EQ(ownClass, entries.at(ownClass).executable);
    EXPECT_EQ(L"C:\\Windows\\System32\\imageres.dll", entries.at(ownClass).iconlocation);
    EXPECT_EQ(-87, entries.at(ownClass).iconindex);

    const std::wstring applet = std::wstring(ControlPanelItemPrefix) +
                                L"\"C:\\Program Files\\Microsoft Office\\MLCFG32.CPL\",\"Mail (Microsoft Outlook)\"";
    ASSERT_EQ(1u, entries.count(applet));
    EXPECT_EQ(EntryForm::ControlPanelItem, entryFormOf(applet));
}
