#pragma once
// The texts of windows and of combo-box items as strings.
#include <windows.h>
#include <string>

namespace kest {

std::wstring windowText(HWND window);
// The text of a combo box's item; empty for CB_ERR or an item that is not there.
std::wstring listItemText(HWND box, LRESULT item);
// Replaces the text of the tool (tool window, id) of a tool-tip control.
void setToolTipText(HWND toolTip, HWND tool, UINT_PTR id, const std::wstring& text);

}  // namespace kest
