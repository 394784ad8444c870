#include "CEnterKeyComboBox.h"

namespace kest {

CEnterKeyComboBox::ListUpdate::ListUpdate(const CEnterKeyComboBox& box) noexcept : box_(box) {
    if (box_.listUpdates_++ == 0)
        if (HWND list = box_.listWindow()) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
}

CEnterKeyComboBox::ListUpdate::~ListUpdate() {
    if (--box_.listUpdates_ == 0)
        if (HWND list = box_.listWindow()) SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void CEnterKeyComboBox::setHost(SearchBoxHost* host) noexcept {
    host_ = host;
    edit_.setHost(host);
}

HWND CEnterKeyComboBox::listWindow() const noexcept {
    COMBOBOXINFO info{sizeof(info)};
    return hwnd_ && GetComboBoxInfo(hwnd_, &info) ? info.hwndList : nullptr;
}

HWND CEnterKeyComboBox::editWindow() const noexcept {
    COMBOBOXINFO info{sizeof(info)};
    return hwnd_ && GetComboBoxInfo(hwnd_, &info) ? info.hwndItem : nullptr;
}

void CEnterKeyComboBox::resetList() const noexcept {
    HWND list = listWindow();
    if (!list) return;
    // With redrawing off the list does not repaint for every removed item. An item that
    // carries data is announced by WM_DELETEITEM, through the box to the bar, as it goes;
    // nothing here needs that, and clearing the data first spares thousands of messages.
    const ListUpdate update(*this);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(i), 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
}

bool CEnterKeyComboBox::reopensAlike(LRESULT openCount, LRESULT count) const noexcept {
    if (count == openCount) return true;
    HWND list = listWindow();
    const LRESULT itemHeight = send(CB_GETITEMHEIGHT, 0);
    RECT client{};
    if (!list || itemHeight <= 0 || !GetClientRect(list, &client)) return false;
    const LRESULT room = (client.bottom - client.top) / itemHeight;
    return openCount > room && count > room;
}

void CEnterKeyComboBox::selectAsOpening() const noexcept {
    HWND list = listWindow();
    HWND field = editWindow();
    if (!list || !field) return;
    const int length = GetWindowTextLengthW(field);
    LRESULT found = LB_ERR;
    if (length > 0) {
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(field, text.data(), length + 1)));
        found = SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    }
    if (found >= 0) {
        // Selecting through the box puts the item's text in the field, selected.
        if (send(CB_GETCURSEL) != found) send(CB_SETCURSEL, static_cast<WPARAM>(found));
        else if (GetFocus() == field) SendMessageW(field, EM_SETSEL, 0, -1);
    } else {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }
    const WPARAM shown = found >= 0 ? static_cast<WPARAM>(found) : 0;
    SendMessageW(list, LB_SETCARETINDEX, shown, FALSE);
    SendMessageW(list, LB_SETTOPINDEX, shown, 0);
}

void CEnterKeyComboBox::OnKillFocus() {
    SetWindowTextW(hwnd_, L"");
    edit_.searchText.clear();
    if (!host_ || !GetParent(hwnd_)) return;
    const ListUpdate update(*this);
    resetList();
    host_->MatchText(std::wstring());
}

LRESULT CEnterKeyComboBox::OnCommand(WPARAM codeAndId, LPARAM control) {
    if (HIWORD(codeAndId) != EN_CHANGE || reinterpret_cast<HWND>(control) != editWindow()) {
        passToDefault();
        return 0;
    }
    // On a changed text the box moves the open list to the first item that begins with it,
    // and then the bar refills the list: one redraw of the list covers both. The field's
    // caret moves several times meanwhile and is drawn once, where it ends.
    const ListUpdate update(*this);
    HWND field = reinterpret_cast<HWND>(control);
    const bool caretHidden = HideCaret(field) != FALSE;
    const LRESULT result = callPrevious(WM_COMMAND, codeAndId, control);
    if (caretHidden) ShowCaret(field);
    return result;
}

LRESULT CEnterKeyComboBox::OnCtlColorEdit(WPARAM, LPARAM editWindow) {
    if (!edit_.attached()) edit_.attach(reinterpret_cast<HWND>(editWindow));
    passToDefault();
    return 0;
}

}  // namespace kest
