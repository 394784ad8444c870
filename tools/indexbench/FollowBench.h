#pragma once
#include <string>

// Runs the following-the-disk measurements over the Start Menu folder menu, copying
// anyShortcut for the shortcuts it adds; 0 when the bar could be made.
int runFollowBench(const std::wstring& menu, const std::wstring& anyShortcut);
