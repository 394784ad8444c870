#include "DialogInitData.h"
#include "resource.h"
#include <cstring>

namespace kest {

std::vector<DialogInitEntry> parseDialogInitData(const BYTE* data, size_t size) {
    std::vector<DialogInitEntry> entries;
    size_t offset = 0;
    while (data && offset + 2 <= size) {
        WORD control = 0;
        std::memcpy(&control, data + offset, 2);
        if (control == 0) break;
        if (offset + 8 > size) break;
        WORD message = 0;
        DWORD length = 0;
        std::memcpy(&message, data + offset + 2, 2);
        std::memcpy(&length, data + offset + 4, 4);
        offset += 8;
        if (length > size - offset) break;
        if (message == DLGINIT_ADDSTRING) {
            const char* text = reinterpret_cast<const char*>(data + offset);
            const size_t textLength = strnlen(text, length);
            DialogInitEntry entry;
            entry.controlId = control;
            if (textLength > 0) {
                const int wide = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(textLength), nullptr, 0);
                entry.text.resize(static_cast<size_t>(wide));
                MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(textLength), entry.text.data(), wide);
            }
            entries.push_back(std::move(entry));
        }
        offset += length;
    }
    return entries;
}

bool applyDialogInitData(HWND dialog, HINSTANCE instance, int templateId) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(RT_KEST_DLGINIT));
    if (!found) return false;
    HGLOBAL loaded = LoadResource(instance, found);  // module memory: never freed
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    for (const DialogInitEntry& entry :
         parseDialogInitData(static_cast<const BYTE*>(data), SizeofResource(instance, found)))
        SendDlgItemMessageW(dialog, entry.controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str()));
    return true;
}

}  // namespace kest
