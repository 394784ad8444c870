#include "PropertySheet.h"

namespace kest {

CPropertyPage::CPropertyPage(HINSTANCE instance, int templateId) noexcept {
    page_.dwSize = sizeof(page_);
    page_.hInstance = instance;
    page_.pszTemplate = MAKEINTRESOURCEW(templateId);
    page_.pfnDlgProc = pageProc;
    page_.lParam = reinterpret_cast<LPARAM>(this);
}

void CPropertyPage::setModified(bool modified) const noexcept {
    SendMessageW(GetParent(hwnd_), modified ? PSM_CHANGED : PSM_UNCHANGED,
                 reinterpret_cast<WPARAM>(hwnd_), 0);
}

INT_PTR CALLBACK CPropertyPage::pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        const auto* description = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        page = description ? reinterpret_cast<CPropertyPage*>(description->lParam) : nullptr;
        if (page) {
            page->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        }
    }
    return routeDialogMessage(page, hwnd, message, wParam, lParam);
}

CPropertySheet::CPropertySheet(HINSTANCE instance, const wchar_t* caption) noexcept {
    header_.dwSize = sizeof(header_);
    header_.dwFlags = PSH_PROPSHEETPAGE;
    header_.hInstance = instance;
    header_.pszCaption = caption;
}

void CPropertySheet::addPage(CPropertyPage& page) { pages_.push_back(page.pageDescription()); }

INT_PTR CPropertySheet::run(HWND parent) {
    header_.hwndParent = parent;
    header_.nPages = static_cast<UINT>(pages_.size());
    header_.ppsp = pages_.data();
    return PropertySheetW(&header_);
}

}  // namespace kest
