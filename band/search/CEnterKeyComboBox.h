#pragma once
// The search box: a drop-down combo box whose edit field is a CEnterKeyEdit, attached the
// first time the edit window asks for its colours. Its list is owner-drawn with its strings
// kept: the box draws each item with its program's icon left of its text.
#include "CEnterKeyEdit.h"
#include "Dpi.h"
#include "ProgramIconCache.h"
#include "SearchBoxHost.h"
#include "UniqueHandle.h"
#include "Window.h"
#include <memory>

namespace kest {

class CEnterKeyComboBox : public CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(CEnterKeyComboBox, CSubclassedWindow)
        KEST_ON_MESSAGE(WM_CTLCOLOREDIT, OnCtlColorEdit)
        KEST_ON_MESSAGE(WM_COMMAND, OnCommand)
        KEST_ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
        KEST_ON_MESSAGE(WM_DELETEITEM, OnDeleteItem)
        KEST_ON_MESSAGE(WM_DPICHANGED_AFTERPARENT, OnDpiChangedAfterParent)
        KEST_ON_MESSAGE(WM_SETFONT, OnSetFont)
        KEST_ON_MESSAGE(IconsArrivedMessage, OnIconsArrived)
    KEST_END_MESSAGE_TABLE()

public:
    // Keeps the list from redrawing from its construction to its destruction, so that
    // emptying and refilling it shows and hides its scroll bar at most once. Nests.
    class ListUpdate {
    public:
        explicit ListUpdate(const CEnterKeyComboBox& box) noexcept;
        ListUpdate(const ListUpdate&) = delete;
        ListUpdate& operator=(const ListUpdate&) = delete;
        ~ListUpdate();

    private:
        const CEnterKeyComboBox& box_;
    };

    // Posted by the icon cache to the box when icons arrived.
    static constexpr UINT IconsArrivedMessage = WM_APP + 0x43;

    void setHost(SearchBoxHost* host) noexcept;
    // Sizes the list's icons and items for the DPI the box is shown at, and its items for its
    // font; again on a change of either.
    void fitListToDpi();
    ProgramIconCache* programIcons() noexcept { return icons_.get(); }
    CEnterKeyEdit& edit() noexcept { return edit_; }

    // The box's own handling of its CBN_KILLFOCUS, reflected to it by the bar: the text is
    // emptied and the list refilled with the whole index, closed.
    void OnKillFocus();
    // Empties the list part of the box; the edit text stays.
    void resetList() const noexcept;
    HWND listWindow() const noexcept;
    HWND editWindow() const noexcept;

    // Whether the open list, refilled from openCount to count items, would open again at
    // its present size: the box sizes a list to its items up to a greatest height, so the
    // size stays when the count stays or when both counts overflow the list as it is.
    bool reopensAlike(LRESULT openCount, LRESULT count) const noexcept;
    // What opening the list does to the selection and the edit text, for a list that is
    // open already: the first item that begins with the edit text is selected and its
    // text put in the field; with none, nothing is selected.
    void selectAsOpening() const noexcept;

private:
    LRESULT OnCtlColorEdit(WPARAM dc, LPARAM editWindow);
    LRESULT OnCommand(WPARAM codeAndId, LPARAM control);
    LRESULT OnDrawItem(WPARAM, LPARAM item);
    LRESULT OnDeleteItem(WPARAM, LPARAM) { return TRUE; }
    LRESULT OnDpiChangedAfterParent(WPARAM, LPARAM);
    // The items of an owner-drawn list keep their height through a new font: it is fitted anew.
    LRESULT OnSetFont(WPARAM font, LPARAM redraw);
    LRESULT OnIconsArrived(WPARAM, LPARAM);
    // The icon the item shows now: its program's, or the generic one until that arrives.
    HICON itemIcon(const DRAWITEMSTRUCT& item, const std::wstring& text);

    CEnterKeyEdit edit_;
    SearchBoxHost* host_ = nullptr;
    mutable int listUpdates_ = 0;
    // The list's program icons are this wide at 96 DPI.
    static constexpr int ListIconSize = 16;
    UINT listDpi_ = 0;  // what the list's icons and items are fitted to
    std::unique_ptr<ProgramIconCache> icons_;
    UniqueHIcon genericIcon_;
};

}  // namespace kest
