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
    // With redrawing off the list does not repaint for every removed item.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
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
