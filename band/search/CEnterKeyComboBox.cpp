#include "CEnterKeyComboBox.h"

namespace kest {

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
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(i), 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void CEnterKeyComboBox::OnKillFocus() {
    SetWindowTextW(hwnd_, L"");
    edit_.searchText.clear();
    if (!host_ || !GetParent(hwnd_)) return;
    resetList();
    host_->MatchText(std::wstring());
}

LRESULT CEnterKeyComboBox::OnCtlColorEdit(WPARAM, LPARAM editWindow) {
    if (!edit_.attached()) edit_.attach(reinterpret_cast<HWND>(editWindow));
    passToDefault();
    return 0;
}

}  // namespace kest
