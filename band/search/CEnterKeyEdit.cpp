#include "CEnterKeyEdit.h"
#include "BarCommands.h"
#include "ColorRules.h"
#include "ModuleFolder.h"
#include "SearchBarSettings.h"
#include "TextRules.h"
#include "Dpi.h"
#include "accessories/ScaledImages.h"
#include "resource.h"
#include <vector>

namespace kest {

namespace {

bool isForwardedShortcutLetter(WPARAM key) noexcept {
    switch (key) {
    case 'A': case 'B': case 'D': case 'F': case 'I': case 'K': case 'L': case 'M': case 'R': case 'S': case 'W':
        return true;
    default:
        return false;
    }
}

std::wstring computerName() {
    wchar_t name[16] = {};
    DWORD size = 16;
    if (!GetComputerNameW(name, &size) || name[0] == L'\0') return L"KESTRUNE";
    return name;
}

}  // namespace

CEnterKeyEdit::CEnterKeyEdit() : cueText_(computerName()) {}

void CEnterKeyEdit::chooseIcon(UINT dpi) {
    if (dpi == iconDpi_) return;
    iconDpi_ = dpi;
    UniqueHBitmap icon = loadScaledBitmap(bandModule(), IDB_EDITFIELD_ICON, dpi, LR_CREATEDIBSECTION);
    const SIZE size = bitmapSize(icon.get());
    iconList_.reset(icon ? ImageList_Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 1, 1) : nullptr);
    if (iconList_) ImageList_AddMasked(iconList_.get(), icon.get(), RGB(255, 255, 255));
}

SIZE CEnterKeyEdit::iconSize() const noexcept {
    int width = 0, height = 0;
    if (iconList_) ImageList_GetIconSize(iconList_.get(), &width, &height);
    return SIZE{width, height};
}

HWND CEnterKeyEdit::bar() const noexcept { return GetParent(comboBox()); }

std::wstring CEnterKeyEdit::windowText() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd_, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CEnterKeyEdit::clearAndRefresh() {
    searchText.clear();
    SetWindowTextW(hwnd_, L"");
    SendMessageW(comboBox(), CB_SHOWDROPDOWN, FALSE, 0);
    if (host_) host_->RefreshFromTyping();
}

LRESULT CEnterKeyEdit::OnChar(WPARAM character, LPARAM) {
    ctrlDown_ = false;
    const auto c = static_cast<wchar_t>(character);
    // The shortcut has acted already; its Ctrl+M must not also act as Enter.
    const bool forwarded = forwardedCharacter_ != 0 && c == forwardedCharacter_;
    forwardedCharacter_ = 0;
    if (forwarded) return 0;
    switch (c) {
    case L'\r':
        searchText.clear();
        PostMessageW(bar(), WM_COMMAND, LaunchCommandId, 13);
        return 0;
    case L'\b':
        if (!searchText.empty()) searchText.pop_back();
        break;
    case 27:
        clearAndRefresh();
        break;
    default:
        if (!acceptsTypedCharacter(c)) return 0;
        searchText.push_back(c);
        break;
    }
    // Blanks alone never count as typed text.
    if (trimWhitespace(searchText).empty()) searchText.clear();
    passToDefault();
    return 0;
}

LRESULT CEnterKeyEdit::OnKeyDown(WPARAM key, LPARAM flags) {
    switch (key) {
    case VK_DELETE:
        clearAndRefresh();
        break;
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_RIGHT:
        // Moving into a selected folder or history string makes it the typed text.
        if (!itemsAreEntries) searchText = windowText();
        break;
    case VK_INSERT:
        if (GetKeyState(VK_SHIFT)) {
            pasting = true;
            const LRESULT result = callPrevious(WM_KEYDOWN, key, flags);
            searchText = windowText();
            return result;
        }
        break;
    case VK_F1:
        OpenHelp();
        break;
    case VK_CONTROL:
        ctrlDown_ = true;
        break;
    default:
        break;
    }
    // Ctrl+Shift+Enter and Ctrl+Shift+E; Enter and Ctrl+E alone stay as they are.
    const bool shiftDown = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (ctrlDown_ && shiftDown && (key == VK_RETURN || key == 'E')) {
        if (key == VK_RETURN) searchText.clear();  // as Enter does
        PostMessageW(bar(), WM_COMMAND, key == VK_RETURN ? RunAsAdministratorCommandId : OpenItemFolderCommandId, 0);
        // Ctrl+Enter makes a line feed, Ctrl+E the character 5.
        forwardedCharacter_ = key == VK_RETURN ? L'\n' : static_cast<wchar_t>(5);
        return 0;
    }
    if (ctrlDown_ && isForwardedShortcutLetter(key)) {
        PostMessageW(bar(), WM_SYSCHAR, static_cast<WPARAM>(asciiLower(static_cast<wchar_t>(key))), flags);
        forwardedCharacter_ = static_cast<wchar_t>(key - L'A' + 1);
        return 0;
    }
    passToDefault();
    return 0;
}

LRESULT CEnterKeyEdit::OnKeyUp(WPARAM key, LPARAM) {
    pasting = false;
    if (key == VK_CONTROL) ctrlDown_ = false;
    passToDefault();
    return 0;
}

LRESULT CEnterKeyEdit::OnSysKeyDown(WPARAM key, LPARAM) {
    if (key == VK_MENU && host_) {
        host_->OnMenuButtonClicked();
        return 0;
    }
    passToDefault();
    return 0;
}

LRESULT CEnterKeyEdit::OnPaint(WPARAM, LPARAM) {
    if (GetFocus() == hwnd_) {
        passToDefault();
        return 0;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    if (!dc) return 0;
    // The DPI is asked at each painting, so the icon follows a change of the display scale.
    const UINT dpi = TopLevelDpi(hwnd_);
    chooseIcon(dpi);
    RECT bounds{};
    GetWindowRect(hwnd_, &bounds);
    const int width = bounds.right - bounds.left;
    const int textLeft = ScaleForDpi(20, dpi);
    if (width > textLeft && iconList_) ImageList_Draw(iconList_.get(), 0, dc, 0, 0, ILD_TRANSPARENT);
    if (readDisplayComputerName()) {
        auto* font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
        SelectObjectGuard fontSelection(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(dc, readUsingWindowsColors() ? cueTextColor(GetSysColor(COLOR_BACKGROUND)) : DefaultCueTextColor);
        SetBkMode(dc, TRANSPARENT);
        RECT textBounds{textLeft, -1, width, ScaleForDpi(17, dpi)};
        DrawTextW(dc, cueText_.c_str(), -1, &textBounds, DT_SINGLELINE | DT_VCENTER);
    }
    EndPaint(hwnd_, &paint);
    return 0;
}

}  // namespace kest
