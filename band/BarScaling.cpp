#include "BarScaling.h"
#include "Dpi.h"
#include "accessories/ScaledImages.h"
#include "resource.h"
#include "search/ModuleFolder.h"

namespace kest {

void BarScaling::attach(HWND bar, CRollOverBitmapButton& menuButton, HWND searchBox, MenuMarks& menuMarks) {
    bar_ = bar;
    menuButton_ = &menuButton;
    searchBox_ = searchBox;
    menuMarks_ = &menuMarks;
    dpi_ = TopLevelDpi(bar);
    loadMenuMarks();
}

bool BarScaling::follow() {
    const UINT dpi = TopLevelDpi(bar_);
    if (!bar_ || dpi == dpi_) return false;
    const UINT previous = dpi_;
    dpi_ = dpi;
    RECT client{};
    GetClientRect(bar_, &client);
    menuButton_->followDpi(menuButtonLimit(MulDiv(client.bottom, static_cast<int>(dpi), static_cast<int>(previous))));
    loadMenuMarks();
    scaleBoxFont(previous, dpi);

    RECT bounds{};
    GetWindowRect(bar_, &bounds);
    const int height = MulDiv(bounds.bottom - bounds.top, static_cast<int>(dpi), static_cast<int>(previous));
    // The bar's own WM_SIZE places the button and the box anew.
    SetWindowPos(bar_, nullptr, 0, 0, bounds.right - bounds.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(bar_, nullptr, TRUE);
    return true;
}

int BarScaling::menuButtonLimit(int barClientHeight) noexcept { return barClientHeight - 1; }

void BarScaling::loadMenuMarks() {
    // One set, as high as the menu's own check marks at most.
    const ImageScale scale =
        fittingImageScale(bandModule(), IDB_MENU_MARK_FIRST, dpi_, SystemMetricForDpi(SM_CYMENUCHECK, dpi_));
    for (int i = 0; i < MenuMarkCount; ++i)
        (*menuMarks_)[i] = loadScaledBitmap(bandModule(), IDB_MENU_MARK_FIRST + i, scale, LR_CREATEDIBSECTION);
}

void BarScaling::scaleBoxFont(UINT from, UINT to) {
    auto* current = reinterpret_cast<HFONT>(SendMessageW(searchBox_, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (!current || !GetObjectW(current, sizeof(description), &description)) return;
    description.lfHeight = MulDiv(description.lfHeight, static_cast<int>(to), static_cast<int>(from));
    description.lfWidth = MulDiv(description.lfWidth, static_cast<int>(to), static_cast<int>(from));
    UniqueHFont font(CreateFontIndirectW(&description));
    if (!font) return;
    // The box and its edit field take the new font before the old one is deleted.
    SendMessageW(searchBox_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    boxFont_ = std::move(font);
}

}  // namespace kest
