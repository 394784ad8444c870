#pragma once
// The settings sheet "Kestrune Settings" with its two pages. While its window exists it
// owns an invisible window of the class "KESTBARPropSheet2006", by which a second start
// of the program finds it. It shows two buttons only: Close where Help was and Help to
// its left, and paints the badge picture beside them.
#include "CCtxMenuPropPage.h"
#include "CSrtMenuPropPage.h"
#include "PropertySheet.h"
#include "UniqueHandle.h"
#include <string>

constexpr const wchar_t* SheetMarkerWindowClass = L"KESTBARPropSheet2006";

class CSettingDialog : public kest::CPropertySheet, public kest::CSubclassedWindow {
    KEST_BEGIN_MESSAGE_TABLE(CSettingDialog, kest::CSubclassedWindow)
        KEST_ON_MESSAGE(WM_PAINT, OnPaint)
        KEST_ON_MESSAGE(WM_DESTROY, OnDestroy)
        KEST_ON_COMMAND(IDHELP, BN_CLICKED, OnHelpButton)
    KEST_END_MESSAGE_TABLE()

public:
    // Constructing the pages reads their settings; no window exists yet.
    explicit CSettingDialog(HINSTANCE instance);
    ~CSettingDialog() override;

    // Shows the sheet modally, first page selected; the result of PropertySheetW.
    INT_PTR run(HWND parent = nullptr);

    HWND markerWindow() const noexcept { return markerWindow_; }
    const CSrtMenuPropPage& startMenuPage() const noexcept { return startMenuPage_; }

private:
    static int CALLBACK sheetCallback(HWND sheet, UINT message, LPARAM lParam);
    // After the platform's initialisation of the sheet window.
    void initializeSheet(HWND sheet);
    // Returns the Close button's rectangle in the sheet's client area.
    RECT arrangeButtons(HWND sheet) const;

    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    void OnHelpButton(UINT, UINT, HWND);
    // The badge's top left corner in the sheet's client area, from the Close button's place.
    static POINT badgePosition(HWND sheet, const RECT& close);

    CSrtMenuPropPage startMenuPage_;
    CCtxMenuPropPage contextMenuPage_;
    // Owned by the sheet window, which destroys it; cleared when that happens.
    HWND markerWindow_ = nullptr;
    kest::UniqueImageList badge_;
    POINT badgePosition_{};
    kest::UniqueHIcon smallIcon_;
    kest::UniqueHIcon bigIcon_;
    HINSTANCE instance_;
    std::wstring caption_;
};
