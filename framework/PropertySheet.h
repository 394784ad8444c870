#pragma once
// Property sheets and their pages. A page is a dialog whose object is handed over
// through PROPSHEETPAGE's lParam; its notifications arrive through its message table.
#include "Window.h"
#include <commctrl.h>
#include <vector>

namespace kest {

class CPropertyPage : public CDialog {
public:
    CPropertyPage(HINSTANCE instance, int templateId) noexcept;
    // The page description for PropertySheetW; the page must outlive the sheet.
    PROPSHEETPAGEW& pageDescription() noexcept { return page_; }
    void setModified(bool modified) const noexcept;

private:
    static INT_PTR CALLBACK pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    PROPSHEETPAGEW page_{};
};

class CPropertySheet {
public:
    CPropertySheet(HINSTANCE instance, const wchar_t* caption) noexcept;
    void addPage(CPropertyPage& page);
    PROPSHEETHEADERW& header() noexcept { return header_; }
    // Runs the sheet modally; the result of PropertySheetW.
    INT_PTR run(HWND parent);

private:
    PROPSHEETHEADERW header_{};
    std::vector<PROPSHEETPAGEW> pages_;
};

}  // namespace kest
