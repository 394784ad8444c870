#include "CSettingDialog.h"
#include "HelpTopic.h"
#include "resource.h"

namespace {

// PropertySheetW's callback carries no data of ours; one sheet runs at a time.
CSettingDialog* runningSheet = nullptr;

// The badge sits at (6, 331) of the sheet at 96 DPI whose dialog units are 6 by 13 pixels
// per 4 by 8, with its Close button's top at ReferenceCloseTop. It keeps that place beside the
// buttons, scaled by the dialog units the sheet has, however tall the pages and the font are.
constexpr POINT BadgePosition = {6, 331};
constexpr int ReferenceCloseTop = 332;
constexpr SIZE ReferenceBaseUnits = {6, 13};

std::wstring loadString(HINSTANCE instance, UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(instance, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

RECT childRect(HWND parent, HWND child) {
    RECT bounds{};
    GetWindowRect(child, &bounds);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

}  // namespace

CSettingDialog::CSettingDialog(HINSTANCE instance)
    : CPropertySheet(instance, nullptr),
      startMenuPage_(instance),
      contextMenuPage_(instance),
      instance_(instance),
      caption_(loadString(instance, IDS_SHEET_CAPTION)) {
    header().pszCaption = caption_.c_str();
    header().dwFlags |= PSH_USECALLBACK | PSH_HASHELP;
    header().pfnCallback = sheetCallback;
    header().nStartPage = 0;
    startMenuPage_.pageDescription().dwFlags |= PSP_HASHELP;
    contextMenuPage_.pageDescription().dwFlags |= PSP_HASHELP;
    addPage(startMenuPage_);
    addPage(contextMenuPage_);
}

CSettingDialog::~CSettingDialog() {
    if (markerWindow_ && IsWindow(markerWindow_)) DestroyWindow(markerWindow_);
}

INT_PTR CSettingDialog::run(HWND parent) {
    runningSheet = this;
    const INT_PTR result = CPropertySheet::run(parent);
    runningSheet = nullptr;
    return result;
}

int CALLBACK CSettingDialog::sheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED && runningSheet) runningSheet->initializeSheet(sheet);
    return 0;
}

void CSettingDialog::initializeSheet(HWND sheet) {
    if (HWND other = FindWindowW(SheetMarkerWindowClass, nullptr)) {
        SetForegroundWindow(other);
        SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        return;
    }

    WNDCLASSW existing{};
    if (!GetClassInfoW(instance_, SheetMarkerWindowClass, &existing)) {
        WNDCLASSW markerClass{};
        markerClass.style = CS_VREDRAW | CS_HREDRAW;
        markerClass.lpfnWndProc = DefWindowProcW;
        markerClass.hInstance = instance_;
        markerClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        markerClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        markerClass.lpszClassName = SheetMarkerWindowClass;
        if (!RegisterClassW(&markerClass)) return;
    }
    markerWindow_ = CreateWindowExW(0, SheetMarkerWindowClass, nullptr, 0, 0, 0, 1, 1, sheet, nullptr, instance_,
                                    nullptr);
    attach(sheet);

    smallIcon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_KESTCONF), IMAGE_ICON, 16, 16, 0)));
    bigIcon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_KESTCONF), IMAGE_ICON, 32, 32, 0)));
    SendMessageW(sheet, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    SendMessageW(sheet, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));

    SendMessageW(sheet, PSM_CANCELTOCLOSE, 0, 0);
    const RECT close = arrangeButtons(sheet);

    kest::UniqueHBitmap picture(static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BADGE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    badgePosition_ = badgePosition(sheet, close);
    BITMAP size{};
    if (picture && GetObjectW(picture.get(), sizeof(size), &size)) {
        badge_.reset(ImageList_Create(size.bmWidth, size.bmHeight, ILC_MASK | ILC_COLOR24, 1, 1));
        if (badge_) ImageList_AddMasked(badge_.get(), picture.get(), RGB(255, 255, 255));
    }
}

// Close takes Help's place; Help moves 3 pixels to its left; Apply and Cancel are hidden.
RECT CSettingDialog::arrangeButtons(HWND sheet) const {
    ShowWindow(GetDlgItem(sheet, IDC_SHEET_APPLY), SW_HIDE);
    ShowWindow(GetDlgItem(sheet, IDCANCEL), SW_HIDE);
    HWND help = GetDlgItem(sheet, IDHELP);
    HWND close = GetDlgItem(sheet, IDOK);
    if (!help || !close) return close ? childRect(sheet, close) : RECT{};
    const RECT place = childRect(sheet, help);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    MoveWindow(close, place.left, place.top, width, height, TRUE);
    MoveWindow(help, place.left - width - 3, place.top, width, height, TRUE);
    return place;
}

POINT CSettingDialog::badgePosition(HWND sheet, const RECT& close) {
    RECT units{0, 0, 4, 8};
    MapDialogRect(sheet, &units);
    return POINT{MulDiv(BadgePosition.x, units.right, ReferenceBaseUnits.cx),
                 close.top + MulDiv(BadgePosition.y - ReferenceCloseTop, units.bottom, ReferenceBaseUnits.cy)};
}

LRESULT CSettingDialog::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(hwnd_, &paint);
    if (dc && badge_) ImageList_Draw(badge_.get(), 0, dc, badgePosition_.x, badgePosition_.y, ILD_TRANSPARENT);
    EndPaint(hwnd_, &paint);
    return 0;
}

LRESULT CSettingDialog::OnDestroy(WPARAM, LPARAM) {
    markerWindow_ = nullptr;  // destroyed with the sheet window, its owner
    passToDefault();
    return 0;
}

void CSettingDialog::OnHelpButton(UINT, UINT, HWND) {
    HWND active = reinterpret_cast<HWND>(SendMessageW(hwnd_, PSM_GETCURRENTPAGEHWND, 0, 0));
    kest::ShowHelpTopic(active && active == startMenuPage_.hwnd() ? kest::StartMenuHelpTopic
                                                                  : kest::ContextMenuHelpTopic);
}
