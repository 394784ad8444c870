#pragma once
// The items of the shell's Control Panel folder ("All Control Panel Items"), indexed as
// entries of their own. Path and executable are ControlPanelItemPrefix ("kestrune:cpl:")
// followed by what starts the item again after a restart: its "::{…}" parsing name where it
// has one (Windows' own items), otherwise the applet's file and name as control.exe takes
// them, "C:\Windows\System32\joy.cpl","Game Controllers" with the quotes (legacy ".cpl"
// items, and all of Wine's, whose parsing names are only their display names).
#include "ShortcutEntry.h"
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace kest {

// One item of the Control Panel folder, as the shell describes it.
struct ControlPanelItem {
    std::wstring displayName;  // in the user's language
    std::wstring parsingName;  // SIGDN_DESKTOPABSOLUTEPARSING
    std::wstring iconFile;     // where the shell takes the item's icon from; empty when not a file
    int iconIndex = 0;
};

// Where the items come from: the shell's folder, or a stand-in in the tests.
class ControlPanelFolder {
public:
    virtual ~ControlPanelFolder() = default;
    // Every item; empty when the folder cannot be listed. Listing loads the ".cpl" libraries,
    // so it runs on the index keeper's thread (COM initialised there) and ends early, with
    // the items so far, once abort is set.
    virtual std::vector<ControlPanelItem> items(const std::atomic<bool>& abort) = 0;
};

// The folder the band lists: the shell's, unless another was put in its place.
std::shared_ptr<ControlPanelFolder> currentControlPanelFolder();
void replaceControlPanelFolder(std::shared_ptr<ControlPanelFolder> folder);

// What follows the prefix: the item's parsing name or its applet form; empty when the item
// cannot be started again from its description.
std::wstring controlPanelStartForm(const ControlPanelItem& item);
// The entries of items, keyed by path.
ShortcutIndex controlPanelEntries(const std::vector<ControlPanelItem>& items);

// Starts the item of a path of controlPanelEntries: a parsing name through the shell, an
// applet through control.exe. True when the shell reports success.
bool startControlPanelItem(const std::wstring& path, int showCommand);

}  // namespace kest
