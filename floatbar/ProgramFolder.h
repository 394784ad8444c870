#pragma once
#include <string>

namespace kest {

// The folder of the running program, with its final backslash; empty on failure.
std::wstring programFolder();

}  // namespace kest
