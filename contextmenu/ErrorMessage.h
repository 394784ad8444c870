#pragma once
// The extension's failure report: a message box built from a string-table template.
#include <windows.h>
#include <string>

namespace kest {

// Formats template templateId (at most 512 characters) with the system's text for error
// (or "Unknown") and detail, and shows it owned by the desktop window with the caption
// "KESTSHX". Shows nothing when error is 0 or the template cannot be loaded.
void showErrorMessage(UINT templateId, HRESULT error, const std::wstring& detail);

// The formatted text showErrorMessage would show; empty when it would show nothing.
std::wstring formatErrorMessage(UINT templateId, HRESULT error, const std::wstring& detail);

}  // namespace kest
