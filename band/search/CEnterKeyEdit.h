#pragma once
// The search box's edit field: keeps the text as the user typed it, filters what may be
// typed, turns Enter, Ctrl+Shift+Enter, Ctrl+Shift+E, Escape, Delete, Backspace, Shift+Insert
// and F1 into the box's own actions, forwards Ctrl+letter shortcuts and Alt to the bar, and
// paints itself as an idle field (icon and computer name) whenever it lacks the focus.
#include "SearchBoxHost.h"
#include "UniqueHandle.h"
#include "Window.h"
#include <string>

namespace kest {

// Posted to the bar by Enter: WM_COMMAND with this id and lParam 13.
constexpr UINT LaunchCommandId = 32776;

class CEnterKeyEdit : public CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(CEnterKeyEdit, CSubclassedWindow)
        KEST_ON_MESSAGE(WM_CHAR, OnChar)
        KEST_ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
        KEST_ON_MESSAGE(WM_KEYUP, OnKeyUp)
        KEST_ON_MESSAGE(WM_SYSKEYDOWN, OnSysKeyDown)
        KEST_ON_MESSAGE(WM_PAINT, OnPaint)
    KEST_END_MESSAGE_TABLE()

public:
    CEnterKeyEdit();

    void setHost(SearchBoxHost* host) noexcept { host_ = host; }

    std::wstring searchText;
    bool itemsAreEntries = true;
    bool pasting = false;

    const std::wstring& cueText() const noexcept { return cueText_; }
    // The idle icon's size in pixels as last painted, made for the field's DPI then; 0 x 0
    // before the first idle painting.
    SIZE iconSize() const noexcept;

private:
    LRESULT OnChar(WPARAM character, LPARAM flags);
    LRESULT OnKeyDown(WPARAM key, LPARAM flags);
    LRESULT OnKeyUp(WPARAM key, LPARAM flags);
    LRESULT OnSysKeyDown(WPARAM key, LPARAM flags);
    LRESULT OnPaint(WPARAM, LPARAM);

    HWND bar() const noexcept;
    HWND comboBox() const noexcept { return GetParent(hwnd_); }
    std::wstring windowText() const;
    void clearAndRefresh();
    // Makes the icon list from the largest icon made up to dpi that is at most heightLimit
    // pixels high, unless it was made for both already.
    void chooseIcon(UINT dpi, int heightLimit);

    SearchBoxHost* host_ = nullptr;
    UniqueImageList iconList_;
    UINT iconDpi_ = 0;
    int iconLimit_ = 0;
    std::wstring cueText_;
    bool ctrlDown_ = false;
    // The control character the system makes of a Ctrl+letter just forwarded to the bar
    // (Ctrl+M makes a carriage return), dropped when it arrives; 0 when none is due.
    wchar_t forwardedCharacter_ = 0;
};

}  // namespace kest
