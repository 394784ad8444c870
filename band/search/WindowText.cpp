#include "WindowText.h"
#include <commctrl.h>

namespace kest {

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::wstring listItemText(HWND box, LRESULT item) {
    const LRESULT length = item == CB_ERR ? CB_ERR : SendMessageW(box, CB_GETLBTEXTLEN, item, 0);
    if (length == CB_ERR) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(box, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

void setToolTipText(HWND toolTip, HWND tool, UINT_PTR id, const std::wstring& text) {
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = tool;
    info.uId = id;
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(toolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace kest
