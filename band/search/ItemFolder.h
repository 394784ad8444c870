#pragma once
// Opening the folder of a listed item in Explorer, the item selected.
#include <string>

namespace kest {

// Explorer's command-line parameters that open the folder of path with path selected.
std::wstring explorerSelectParameters(const std::wstring& path);

// Starts Explorer on the folder of item with item selected; true when the shell started it.
// An entry of no file (a packaged app, a Settings page, a Control Panel item, a system
// command) has no folder to show, and an item that is no existing file or folder none to
// select: both are refused with the refusal sound, and nothing starts.
bool openItemFolder(const std::wstring& item);

}  // namespace kest
