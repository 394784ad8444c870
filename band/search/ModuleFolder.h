#pragma once
// The module that holds the band's code and resources, and the files beside it.
#include <windows.h>
#include <string>

namespace kest {

HINSTANCE bandModule() noexcept;
// The band module's folder, with its final backslash.
std::wstring bandModuleFolder();
// Opens "kesthelp.chm" from the band module's folder through the shell.
void OpenHelp();

}  // namespace kest
