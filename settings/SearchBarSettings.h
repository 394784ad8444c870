#pragma once
// The search bar's settings in the registry. Every operation opens the key, reads or
// writes its one value and closes the key again; nothing is cached. Reads never fail:
// a missing key or value, or one that cannot be read as 4 bytes, yields the default.
// Writers return the registry error code.
#include <windows.h>
#include <string>
#include <vector>

namespace kest {

enum class MatchMode : unsigned short { All = 0, Start = 1, WordStart = 2, BestMatch = 3 };
enum class AutoSelectMode : unsigned short { First = 0, MostFrequentlyUsed = 1, MostRecentlyUsed = 2 };

// As RegisterHotKey takes it: a virtual key and MOD_ALT/MOD_CONTROL/MOD_SHIFT/MOD_WIN flags.
struct HotKeySetting {
    unsigned int virtualKey = 0x53;  // S
    unsigned int modifiers = MOD_WIN;
    bool disabled = false;

    bool operator==(const HotKeySetting& other) const noexcept {
        return virtualKey == other.virtualKey && modifiers == other.modifiers && disabled == other.disabled;
    }
};

struct SearchBarSettings {
    MatchMode matchMode = MatchMode::All;
    AutoSelectMode autoSelectMode = AutoSelectMode::First;
    bool includeHistory = true;
    bool includeFolderItems = true;
    bool forceUpdateOnStartup = true;
    bool watchScanLocations = true;
    bool includePackagedApps = true;
    bool includeSettingsPages = true;
    bool includeControlPanel = true;
    bool includeSystemCommands = true;
    bool displayComputerName = true;
    bool usingWindowsColors = false;
    HotKeySetting hotKey;
    std::vector<std::wstring> scanPaths;
    std::vector<std::wstring> typedHistory;
};

// The low 16 bits of the stored value; the key is opened for querying only, never created.
MatchMode readMatchMode();
AutoSelectMode readAutoSelectMode();
// Opens without creating: if the key is missing nothing is written.
LONG writeMatchMode(MatchMode mode);
LONG writeAutoSelectMode(AutoSelectMode mode);

// The booleans create the key if it is missing; writes store exactly 0 or 1.
bool readIncludeHistory();
bool readIncludeFolderItems();
bool readForceUpdateOnStartup();
bool readWatchScanLocations();
bool readIncludePackagedApps();
bool readIncludeSettingsPages();
bool readIncludeControlPanel();
bool readIncludeSystemCommands();
bool readDisplayComputerName();
bool readUsingWindowsColors();
LONG writeIncludeHistory(bool value);
LONG writeIncludeFolderItems(bool value);
LONG writeForceUpdateOnStartup(bool value);
LONG writeWatchScanLocations(bool value);
LONG writeIncludePackagedApps(bool value);
LONG writeIncludeSettingsPages(bool value);
LONG writeIncludeControlPanel(bool value);
LONG writeIncludeSystemCommands(bool value);
LONG writeDisplayComputerName(bool value);
LONG writeUsingWindowsColors(bool value);

// All three hot-key values in one opening of the key; each value read is taken over
// only when its query succeeds.
HotKeySetting readHotKey();
LONG writeHotKey(const HotKeySetting& hotKey);

// What the band's last try to register its hot key gave. tried holds no combination
// (virtualKey 0) when no try is recorded.
struct HotKeyOutcome {
    HotKeySetting tried{0, 0, false};
    bool registered = false;

    bool recorded() const noexcept { return tried.virtualKey != 0; }
    // The band holds this very combination.
    bool holds(unsigned int modifiers, unsigned int virtualKey) const noexcept {
        return registered && tried.modifiers == modifiers && tried.virtualKey == virtualKey;
    }
};
HotKeyOutcome readHotKeyOutcome();
// Written by the band only.
LONG writeHotKeyOutcome(const HotKeyOutcome& outcome);
LONG deleteHotKeyOutcome();

// Every value and both lists.
SearchBarSettings readSearchBarSettings();

}  // namespace kest
