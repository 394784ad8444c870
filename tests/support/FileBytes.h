#pragma once
// Whole files written from bytes, for tests and benchmarks that make their own inputs.
#include <string>
#include <windows.h>

namespace kesttest {

// Creates or replaces the file; false when it cannot be written in full.
bool writeFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace kesttest
