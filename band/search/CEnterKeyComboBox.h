#pragma once
// The search box: a drop-down combo box whose edit field is a CEnterKeyEdit, attached the
// first time the edit window asks for its colours.
#include "CEnterKeyEdit.h"
#include "SearchBoxHost.h"
#include "Window.h"

namespace kest {

class CEnterKeyComboBox : public CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(CEnterKeyComboBox, CSubclassedWindow)
        KEST_ON_MESSAGE(WM_CTLCOLOREDIT, OnCtlColorEdit)
    KEST_END_MESSAGE_TABLE()

public:
    void setHost(SearchBoxHost* host) noexcept;
    CEnterKeyEdit& edit() noexcept { return edit_; }

    // The box's own handling of its CBN_KILLFOCUS, reflected to it by the bar: the text is
    // emptied and the list refilled with the whole index, closed.
    void OnKillFocus();
    // Empties the list part of the box; the edit text stays.
    void resetList() const noexcept;
    HWND listWindow() const noexcept;
    HWND editWindow() const noexcept;

private:
    LRESULT OnCtlColorEdit(WPARAM dc, LPARAM editWindow);

    CEnterKeyEdit edit_;
    SearchBoxHost* host_ = nullptr;
};

}  // namespace kest
