#pragma once
// An icon file of one 16 by 16 image in a single colour, for tests and benchmarks that
// need icons they can tell apart.
#include <string>
#include <windows.h>

namespace kesttest {

bool writeSolidIconFile(const std::wstring& path, COLORREF color);

}  // namespace kesttest
