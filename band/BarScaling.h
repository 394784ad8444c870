#pragma once
// What of the search bar depends on the display scale: the menu button's images, the menu's
// marks, the search box's font and the bar's height. Each image set is the largest made up to
// the DPI that fits its place. The bar is laid out from its dialog
// template at the DPI it was made at; when its top-level window's DPI changes, the box gets
// the dialog font made anew for the new DPI (the box's height follows its font), and the bar's
// height scales as the template's dialog units would.
#include "UniqueHandle.h"
#include "accessories/CRollOverBitmapButton.h"

namespace kest {

class BarScaling {
public:
    static constexpr int MenuMarkCount = 5;
    using MenuMarks = UniqueHBitmap[MenuMarkCount];

    // After the bar's controls exist: remembers the bar's DPI and loads the menu marks for it.
    void attach(HWND bar, CRollOverBitmapButton& menuButton, HWND searchBox, MenuMarks& menuMarks);
    // Scales everything to the bar's DPI now; false when it is the DPI already followed.
    bool follow();
    UINT dpi() const noexcept { return dpi_; }
    // The menu button sits one pixel below the bar's top edge: its images are at most this high.
    static int menuButtonLimit(int barClientHeight) noexcept;

private:
    void loadMenuMarks();
    void scaleBoxFont(UINT from, UINT to);

    HWND bar_ = nullptr;
    CRollOverBitmapButton* menuButton_ = nullptr;
    HWND searchBox_ = nullptr;
    MenuMarks* menuMarks_ = nullptr;
    UINT dpi_ = 0;
    // The box's font made for a DPI after a change; the dialog owns the one it was made with.
    UniqueHFont boxFont_;
};

}  // namespace kest
