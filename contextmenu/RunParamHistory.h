#pragma once
// The last arguments confirmed per file, under "...\KESTSHX\Run Param History": one REG_SZ
// value per file, named by its full path, its data the argument text without a terminator.
#include <optional>
#include <string>

namespace kest {

// The stored arguments of path; empty when none (or longer than 259 characters) are stored.
// Nothing when the subkey cannot be opened or created.
std::optional<std::wstring> recallRunArguments(const std::wstring& path);
// False when the subkey cannot be opened or the value cannot be written.
bool rememberRunArguments(const std::wstring& path, const std::wstring& arguments);

}  // namespace kest
