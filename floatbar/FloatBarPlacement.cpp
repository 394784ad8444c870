#include "FloatBarPlacement.h"
#include "Dpi.h"
#include "SettingsNames.h"
#include "UniqueHandle.h"
#include <algorithm>
#include <climits>

namespace kest {

namespace {

int width(const RECT& rect) noexcept { return rect.right - rect.left; }
int height(const RECT& rect) noexcept { return rect.bottom - rect.top; }

long long overlapArea(const RECT& a, const RECT& b) noexcept {
    const long long w = std::min<long long>(a.right, b.right) - std::max<long long>(a.left, b.left);
    const long long h = std::min<long long>(a.bottom, b.bottom) - std::max<long long>(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance between the nearest points of two rectangles; 0 when they touch.
long long gapSquared(const RECT& a, const RECT& b) noexcept {
    const long long dx = std::max<long long>({0, static_cast<long long>(b.left) - a.right,
                                              static_cast<long long>(a.left) - b.right});
    const long long dy = std::max<long long>({0, static_cast<long long>(b.top) - a.bottom,
                                              static_cast<long long>(a.top) - b.bottom});
    return dx * dx + dy * dy;
}

std::optional<int> readSigned(HKEY key, const wchar_t* name) {
    DWORD value = 0, type = 0, size = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_DWORD || size != sizeof(value)) return std::nullopt;
    return static_cast<int>(static_cast<LONG>(value));
}

LONG writeSigned(HKEY key, const wchar_t* name, int number) {
    const DWORD value = static_cast<DWORD>(static_cast<LONG>(number));
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, RECT*, LPARAM list) {
    MONITORINFO info{sizeof(info)};
    if (GetMonitorInfoW(monitor, &info)) {
        reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
            MonitorArea{info.rcMonitor, info.rcWork, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}

}  // namespace

RECT defaultBarRect(const MonitorArea& monitor, int barWidth, int barHeight) noexcept {
    const RECT& work = monitor.work;
    const bool taskbarAtTop = work.top > monitor.monitor.top && work.bottom == monitor.monitor.bottom;
    const int top = taskbarAtTop ? work.top : work.bottom - barHeight;
    return RECT{work.right - barWidth, top, work.right, top + barHeight};
}

int chooseWorkArea(const RECT& rect, const std::vector<MonitorArea>& monitors) noexcept {
    int best = -1;
    long long bestOverlap = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const long long overlap = overlapArea(rect, monitors[i].work);
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = static_cast<int>(i);
        }
    }
    if (best >= 0) return best;
    long long bestGap = LLONG_MAX;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const long long gap = gapSquared(rect, monitors[i].work);
        if (gap < bestGap) {
            bestGap = gap;
            best = static_cast<int>(i);
        }
    }
    return best;
}

RECT fitIntoWorkArea(const RECT& rect, const RECT& workArea) noexcept {
    const int w = std::min(width(rect), width(workArea));
    const int h = std::min(height(rect), height(workArea));
    const int left = std::clamp(static_cast<int>(rect.left), static_cast<int>(workArea.left),
                                static_cast<int>(workArea.right) - w);
    const int top = std::clamp(static_cast<int>(rect.top), static_cast<int>(workArea.top),
                               static_cast<int>(workArea.bottom) - h);
    return RECT{left, top, left + w, top + h};
}

const MonitorArea* primaryMonitor(const std::vector<MonitorArea>& monitors) noexcept {
    for (const MonitorArea& monitor : monitors)
        if (monitor.primary) return &monitor;
    return monitors.empty() ? nullptr : &monitors.front();
}

FloatBarMetrics floatBarMetrics(UINT dpi) noexcept {
    return FloatBarMetrics{ScaleForDpi(FloatBarGripWidth, dpi), ScaleForDpi(FloatBarEdgeWidth, dpi),
                           ScaleForDpi(FloatBarDefaultWidth, dpi)};
}

RECT placeBar(const SavedPlacement& saved, const std::vector<MonitorArea>& monitors, int barHeight, int minWidth,
              int defaultWidth) noexcept {
    const int barWidth = std::max(saved.width.value_or(defaultWidth), minWidth);
    const MonitorArea* primary = primaryMonitor(monitors);
    if (!primary) {
        const int left = saved.left.value_or(0), top = saved.top.value_or(0);
        return RECT{left, top, left + barWidth, top + barHeight};
    }
    if (!saved.left || !saved.top) return fitIntoWorkArea(defaultBarRect(*primary, barWidth, barHeight), primary->work);
    const RECT rect{*saved.left, *saved.top, *saved.left + barWidth, *saved.top + barHeight};
    const int chosen = chooseWorkArea(rect, monitors);
    return fitIntoWorkArea(rect, monitors[static_cast<size_t>(chosen)].work);
}

FloatBarZone zoneAt(int x, int clientWidth, const FloatBarMetrics& metrics) noexcept {
    if (x < metrics.gripWidth) return FloatBarZone::Grip;
    if (x >= clientWidth - metrics.edgeWidth) return FloatBarZone::Edge;
    return FloatBarZone::Band;
}

RECT dragRect(const RECT& start, FloatBarDrag drag, int dx, int dy, int minWidth, int maxWidth) noexcept {
    if (drag == FloatBarDrag::Move) return RECT{start.left + dx, start.top + dy, start.right + dx, start.bottom + dy};
    const int newWidth = std::clamp(width(start) + dx, minWidth, std::max(minWidth, maxWidth));
    return RECT{start.left, start.top, start.left + newWidth, start.bottom};
}

std::vector<MonitorArea> currentMonitors() {
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        monitors.push_back(MonitorArea{screen, work, true});
    }
    return monitors;
}

SavedPlacement readSavedPlacement() {
    SavedPlacement saved;
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return saved;
    saved.left = readSigned(key.get(), SettingName::FloatingBarLeft);
    saved.top = readSigned(key.get(), SettingName::FloatingBarTop);
    saved.width = readSigned(key.get(), SettingName::FloatingBarWidth);
    if (saved.width && *saved.width <= 0) saved.width.reset();
    return saved;
}

LONG writeSavedPlacement(const RECT& bar) {
    UniqueHKey key;
    LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  key.put(), nullptr);
    if (result != ERROR_SUCCESS) return result;
    result = writeSigned(key.get(), SettingName::FloatingBarLeft, bar.left);
    if (result == ERROR_SUCCESS) result = writeSigned(key.get(), SettingName::FloatingBarTop, bar.top);
    if (result == ERROR_SUCCESS) result = writeSigned(key.get(), SettingName::FloatingBarWidth, width(bar));
    return result;
}

}  // namespace kest
