#pragma once
// Where the floating bar stands: its default place, a saved place brought back inside the
// visible work area, the rectangle a drag of its grip or its edge gives, and the place as it
// is remembered per user under the settings key. Plain functions; no window is needed.
#include <windows.h>
#include <optional>
#include <vector>

namespace kest {

// The bar's two handles, one at each end of the strip; the band lies between them. Pixels
// at 96 DPI; the strip scales them to its own DPI.
constexpr int FloatBarGripWidth = 8;  // left: dragging it moves the bar
constexpr int FloatBarEdgeWidth = 5;  // right: dragging it changes the width
constexpr int FloatBarDefaultWidth = 320;

// The strip's fixed sizes at one DPI.
struct FloatBarMetrics {
    int gripWidth;
    int edgeWidth;
    int defaultWidth;
};
FloatBarMetrics floatBarMetrics(UINT dpi) noexcept;

// One monitor: its whole area and its work area (without the taskbar), both in virtual-screen
// coordinates.
struct MonitorArea {
    RECT monitor;
    RECT work;
    bool primary;
};

// What the registry holds; a value that is missing or not a 4-byte REG_DWORD is empty.
struct SavedPlacement {
    std::optional<int> left;
    std::optional<int> top;
    std::optional<int> width;
};

enum class FloatBarZone { Grip, Band, Edge };
enum class FloatBarDrag { Move, Width };

// Just above the taskbar at the right of the work area; below it when the taskbar is at the
// top of the monitor.
RECT defaultBarRect(const MonitorArea& monitor, int width, int height) noexcept;
// The work area the rectangle overlaps most; when it overlaps none, the nearest one.
// -1 for an empty list.
int chooseWorkArea(const RECT& rect, const std::vector<MonitorArea>& monitors) noexcept;
// The rectangle moved (and, when wider than the work area, narrowed) to lie inside it.
RECT fitIntoWorkArea(const RECT& rect, const RECT& workArea) noexcept;
// The bar's rectangle at start: the saved place and width, or the default place on the
// primary monitor, inside the visible work area. The width is at least minWidth;
// defaultWidth when none was saved.
RECT placeBar(const SavedPlacement& saved, const std::vector<MonitorArea>& monitors, int height, int minWidth,
              int defaultWidth = FloatBarDefaultWidth) noexcept;
// The primary monitor, or the first, or null for an empty list.
const MonitorArea* primaryMonitor(const std::vector<MonitorArea>& monitors) noexcept;

// Which handle lies under x in a strip of clientWidth pixels.
FloatBarZone zoneAt(int x, int clientWidth, const FloatBarMetrics& metrics) noexcept;
// The rectangle after the cursor moved by (dx, dy) since the drag started at start: a move
// keeps the size; a width drag keeps the left edge and stays within minWidth..maxWidth.
RECT dragRect(const RECT& start, FloatBarDrag drag, int dx, int dy, int minWidth, int maxWidth) noexcept;

// The monitors of the desktop as the system reports them now.
std::vector<MonitorArea> currentMonitors();

// Under HKEY_CURRENT_USER\software\Brindlewood\Kestrune: "floatingBarLeft",
// "floatingBarTop", "floatingBarWidth".
SavedPlacement readSavedPlacement();
// Writes all three values in one opening of the key (created when missing); the registry error.
LONG writeSavedPlacement(const RECT& bar);

}  // namespace kest
