#include "CMyHyperLink.h"
#include "search/ModuleFolder.h"
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

namespace kest {

namespace {

// The hand cursor of the Windows help viewer.
constexpr WORD HelpViewerHandCursorId = 106;

}  // namespace

bool CMyHyperLink::bind(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    if (!control || !attach(control)) return false;

    SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | SS_NOTIFY);

    HFONT current = reinterpret_cast<HFONT>(send(WM_GETFONT));
    if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW font{};
    if (GetObjectW(current, sizeof(font), &font)) {
        font.lfUnderline = TRUE;
        underlinedFont_.reset(CreateFontIndirectW(&font));
        if (underlinedFont_) send(WM_SETFONT, reinterpret_cast<WPARAM>(underlinedFont_.get()), TRUE);
    }

    loadLinkCursor();
    createToolTip();
    return true;
}

void CMyHyperLink::loadLinkCursor() {
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const std::wstring path = helpViewerPath(std::wstring(windows, length));
        // As a data file: only the cursor resource is wanted, none of the program's code.
        UniqueHModule viewer(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (viewer) {
            HCURSOR shared = LoadCursorW(viewer.get(), MAKEINTRESOURCEW(HelpViewerHandCursorId));
            // The loaded cursor belongs to the module; the copy outlives its release.
            if (shared) ownedCursor_.reset(CopyCursor(shared));
        }
    }
    linkCursor_ = ownedCursor_ ? ownedCursor_.get() : LoadCursorW(nullptr, IDC_HAND);
    if (!linkCursor_) linkCursor_ = LoadCursorW(nullptr, IDC_ARROW);
}

void CMyHyperLink::createToolTip() {
    toolTip_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, bandModule(),
                                   nullptr));
    if (!toolTip_) return;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = hwnd_;
    tool.uId = ToolId;
    tool.hinst = bandModule();
    tool.lpszText = const_cast<wchar_t*>(L"");
    GetClientRect(hwnd_, &tool.rect);
    SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ShowWindow(toolTip_.get(), SW_HIDE);
}

void CMyHyperLink::relayToToolTip(UINT message, WPARAM wParam, LPARAM lParam) const noexcept {
    if (!toolTip_) return;
    MSG relayed{hwnd_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    const DWORD position = GetMessagePos();
    relayed.pt = POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    SendMessageW(toolTip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void CMyHyperLink::redraw() const noexcept {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void CMyHyperLink::stopHovering() {
    if (!hovering_) return;
    hovering_ = false;
    if (GetCapture() == hwnd_) ReleaseCapture();
    redraw();
}

LRESULT CMyHyperLink::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    relayToToolTip(WM_MOUSEMOVE, wParam, lParam);
    const LRESULT result = callPrevious(WM_MOUSEMOVE, wParam, lParam);
    RECT client{};
    GetClientRect(hwnd_, &client);
    const POINT pointer{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const bool inside = PtInRect(&client, pointer) != FALSE;
    if (hovering_) {
        if (!inside) stopHovering();
    } else if (inside) {
        hovering_ = true;
        redraw();
        // The capture lets the control see the pointer leave.
        SetCapture(hwnd_);
    }
    return result;
}

LRESULT CMyHyperLink::OnRelayedMouse(WPARAM wParam, LPARAM lParam) {
    relayToToolTip(current_->message, wParam, lParam);
    passToDefault();
    return 0;
}

LRESULT CMyHyperLink::OnSetCursor(WPARAM, LPARAM) {
    SetCursor(linkCursor_);
    return TRUE;
}

LRESULT CMyHyperLink::OnCaptureChanged(WPARAM, LPARAM) {
    // Losing the capture to someone else ends the hover: no move would tell the control.
    if (hovering_) {
        hovering_ = false;
        redraw();
    }
    passToDefault();
    return 0;
}

LRESULT CMyHyperLink::OnDestroy(WPARAM, LPARAM) {
    // The tool tip is owned by the dialog, which destroys it first when it closes.
    if (IsWindow(toolTip_.get()))
        toolTip_.reset();
    else
        toolTip_.release();
    passToDefault();
    return 0;
}

HBRUSH CMyHyperLink::OnCtlColor(HDC dc) const noexcept {
    SetTextColor(dc, hovering_ ? hoverColor_ : normalColor_);
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

bool CMyHyperLink::openTarget() {
    // No capture while the shell works: it may show windows of its own.
    stopHovering();
    return openAddress(targetAddress_);
}

bool CMyHyperLink::openAddress(const std::wstring& address) {
    if (address.empty()) return false;
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    HINSTANCE result = ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    SetCursor(previous);
    return shellExecuteSucceeded(result);
}

}  // namespace kest
