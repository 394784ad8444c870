#pragma once
// A dialog's initialisation data: a resource of type RT_KEST_DLGINIT named after the
// dialog template, holding entries {WORD control, WORD message, DWORD length, length bytes
// of ANSI text with its terminator} and ending with a control of 0. Each entry with the
// message DLGINIT_ADDSTRING adds its text to a combo box.
#include <windows.h>
#include <string>
#include <vector>

namespace kest {

struct DialogInitEntry {
    int controlId = 0;
    std::wstring text;
};

// The add-string entries of the data, in order. Stops at the end marker or at an entry
// that runs past the data.
std::vector<DialogInitEntry> parseDialogInitData(const BYTE* data, size_t size);
// Adds the entries of template templateId's data to the controls of dialog; false when
// the module holds no such data.
bool applyDialogInitData(HWND dialog, HINSTANCE instance, int templateId);

}  // namespace kest
