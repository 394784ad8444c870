#include "CEnterKeyComboBox.h"
#include "WindowText.h"
#include <algorithm>
#include <shellapi.h>
#include <shlobj.h>

namespace kest {

namespace {

// The shell's generic program icon at size pixels; always an icon of its own.
HICON loadGenericIcon(int size) {
    SHSTOCKICONINFO stock{sizeof(stock)};
    HICON icon = nullptr;
    if (SUCCEEDED(SHGetStockIconInfo(SIID_APPLICATION, SHGSI_ICONLOCATION, &stock)) &&
        SHDefExtractIconW(stock.szPath, stock.iIcon, 0, &icon, nullptr, MAKELONG(size, size)) == S_OK && icon)
        return icon;
    return CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
}

}  // namespace

CEnterKeyComboBox::ListUpdate::ListUpdate(const CEnterKeyComboBox& box) noexcept : box_(box) {
    if (box_.listUpdates_++ == 0)
        if (HWND list = box_.listWindow()) SendMessageW(list, WM_SETREDRAW, FALSE, 0);
}

CEnterKeyComboBox::ListUpdate::~ListUpdate() {
    if (--box_.listUpdates_ != 0) return;
    HWND list = box_.listWindow();
    if (!list) return;
    // Redrawing on again, an open list draws its scroll bar at once, and under Wine that paint
    // costs as much as the rest of a keystroke. Kept from drawing meanwhile (the system's own
    // redraw flag), the scroll bar is drawn with the items at the list's next paint.
    const bool shown = IsWindowVisible(list) != FALSE;
    if (shown) DefWindowProcW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    if (!shown) return;
    DefWindowProcW(list, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
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
    // With redrawing off the list does not repaint for every removed item. Each owner-drawn
    // item is announced by WM_DELETEITEM as it goes; the box answers those itself.
    const ListUpdate update(*this);
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

void CEnterKeyComboBox::fitListToDpi() {
    if (!hwnd_) return;
    const UINT dpi = TopLevelDpi(hwnd_);
    const int iconSize = ScaleForDpi(ListIconSize, dpi);
    if (!icons_) icons_ = std::make_unique<ProgramIconCache>(hwnd_, IconsArrivedMessage);
    if (dpi != listDpi_) {
        listDpi_ = dpi;
        icons_->setIconSize(iconSize);
        // Extracted when an item first draws, not while the bar starts.
        genericIcon_.reset();
    }
    // As tall as the icon with a pixel above and below, or as the text if that is taller.
    int textHeight = 0;
    if (HDC dc = GetDC(hwnd_)) {
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(send(WM_GETFONT)));
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc, &metrics)) textHeight = metrics.tmHeight;
        SelectObject(dc, previous);
        ReleaseDC(hwnd_, dc);
    }
    const int itemHeight = std::max(textHeight, iconSize + 2 * ScaleForDpi(1, dpi));
    send(CB_SETITEMHEIGHT, 0, itemHeight);
}

LRESULT CEnterKeyComboBox::OnDpiChangedAfterParent(WPARAM, LPARAM) {
    fitListToDpi();
    passToDefault();
    return 0;
}

LRESULT CEnterKeyComboBox::OnSetFont(WPARAM font, LPARAM redraw) {
    const LRESULT result = callPrevious(WM_SETFONT, font, redraw);
    fitListToDpi();
    return result;
}

LRESULT CEnterKeyComboBox::OnIconsArrived(WPARAM, LPARAM) {
    if (HWND list = listWindow(); list && listUpdates_ == 0) InvalidateRect(list, nullptr, FALSE);
    return 0;
}

HICON CEnterKeyComboBox::itemIcon(const DRAWITEMSTRUCT& item, const std::wstring& text) {
    const auto* entry = reinterpret_cast<const ShortcutEntry*>(item.itemData);
    HICON icon = icons_ ? icons_->find(entry ? iconSourceFor(*entry) : iconSourceForText(text)) : nullptr;
    if (icon) return icon;
    if (!genericIcon_) genericIcon_.reset(loadGenericIcon(ScaleForDpi(ListIconSize, listDpi_ ? listDpi_ : DefaultDpi)));
    return genericIcon_.get();
}

LRESULT CEnterKeyComboBox::OnDrawItem(WPARAM, LPARAM parameter) {
    // Only the box's list draws through the box; it is still the list's request here, which
    // the box's own procedure would turn into one of its own for the bar.
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(parameter);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1)) {
        const std::wstring text = listItemText(hwnd_, static_cast<LRESULT>(item.itemID));
        const UINT dpi = listDpi_ ? listDpi_ : DefaultDpi;
        const int iconSize = ScaleForDpi(ListIconSize, dpi);
        const int margin = ScaleForDpi(2, dpi);
        RECT bounds = item.rcItem;
        const int height = bounds.bottom - bounds.top;
        if (HICON icon = itemIcon(item, text))
            DrawIconEx(item.hDC, bounds.left + margin, bounds.top + (height - iconSize) / 2, icon, iconSize, iconSize, 0,
                       nullptr, DI_NORMAL);
        bounds.left += iconSize + 2 * margin + ScaleForDpi(1, dpi);
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &bounds,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
    return TRUE;
}

LRESULT CEnterKeyComboBox::OnCtlColorEdit(WPARAM, LPARAM editWindow) {
    if (!edit_.attached()) edit_.attach(reinterpret_cast<HWND>(editWindow));
    passToDefault();
    return 0;
}

}  // namespace kest
