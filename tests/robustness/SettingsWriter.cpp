// The settings program's writers in a process of their own, writing the search bar's key
// as fast as they can while a band in the test process writes it too: every value the
// Start Menu page stores, the scan-location list replaced (deleted, then written), the
// typed-command history cleared and the band told to reload. Ends with the first list in
// place. Arguments: rounds, first folder, second folder.
#include "BandNotification.h"
#include "SearchBarSettings.h"
#include "SettingsNames.h"
#include "StringListKey.h"
#include <shlwapi.h>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    const int rounds = _wtoi(argv[1]);
    const kest::StringList first = {argv[2]};
    const kest::StringList second = {argv[3]};
    for (int round = 0; round < rounds; ++round) {
        kest::writeMatchMode(static_cast<kest::MatchMode>(round % 3));
        kest::writeAutoSelectMode(static_cast<kest::AutoSelectMode>((round / 3) % 3));
        kest::writeIncludeHistory(round & 1);
        kest::writeIncludeFolderItems(round & 2);
        kest::writeForceUpdateOnStartup(round & 4);
        kest::writeDisplayComputerName(round & 8);
        kest::writeUsingWindowsColors(round & 16);
        kest::HotKeySetting hotKey;
        hotKey.virtualKey = 0x41 + round % 26;
        hotKey.modifiers = MOD_ALT;
        hotKey.disabled = true;
        kest::writeHotKey(hotKey);
        kest::ReplaceStringListKey(kest::ScanPathsKeyPath, round % 2 ? second : first);
        if (round % 7 == 0) SHDeleteKeyW(HKEY_CURRENT_USER, kest::HistoryKeyPath);
        if (round % 13 == 0) kest::NotifyRunningBand();
    }
    if (!kest::ReplaceStringListKey(kest::ScanPathsKeyPath, first)) return 3;
    kest::writeMatchMode(kest::MatchMode::All);
    kest::writeForceUpdateOnStartup(false);
    return 0;
}
