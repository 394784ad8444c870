// Where the floating bar stands: default place, a saved place brought back into view, drags,
// and the place as the registry remembers it.
#include "FloatBarPlacement.h"
#include "SearchBarSettings.h"
#include "SettingsNames.h"
#include "UniqueHandle.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <cwchar>
#include <string>

// RECT lives in the global namespace, where the expectations look for these.
static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
static void PrintTo(const RECT& rect, std::ostream* out) {
    *out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << "}";
}

namespace kest {
namespace {

// A 1280 x 1024 primary monitor with the taskbar 40 pixels high along the bottom.
const MonitorArea Primary{{0, 0, 1280, 1024}, {0, 0, 1280, 984}, true};
// A second monitor to the right of it, taskbar-free.
const MonitorArea Second{{1280, 0, 2560, 1024}, {1280, 0, 2560, 1024}, false};

TEST(FloatBarDefaultPlace, StandsJustAboveABottomTaskbarAtTheRight) {
    EXPECT_EQ(defaultBarRect(Primary, 320, 22), (RECT{960, 962, 1280, 984}));
}

TEST(FloatBarDefaultPlace, StandsJustBelowATopTaskbarAtTheRight) {
    const MonitorArea top{{0, 0, 1280, 1024}, {0, 40, 1280, 1024}, true};
    EXPECT_EQ(defaultBarRect(top, 320, 22), (RECT{960, 40, 1280, 62}));
}

TEST(FloatBarDefaultPlace, StandsAtTheBottomRightBesideASideTaskbar) {
    const MonitorArea left{{0, 0, 1280, 1024}, {60, 0, 1280, 1024}, true};
    EXPECT_EQ(defaultBarRect(left, 320, 22), (RECT{960, 1002, 1280, 1024}));
    const MonitorArea right{{0, 0, 1280, 1024}, {0, 0, 1220, 1024}, true};
    EXPECT_EQ(defaultBarRect(right, 320, 22), (RECT{900, 1002, 1220, 1024}));
}

TEST(FloatBarWorkArea, TheOneOverlappedMostIsChosen) {
    const std::vector<MonitorArea> both{Primary, Second};
    EXPECT_EQ(chooseWorkArea(RECT{100, 100, 420, 122}, both), 0);
    EXPECT_EQ(chooseWorkArea(RECT{1500, 100, 1820, 122}, both), 1);
    // Across the border: 20 pixels on the first, 300 on the second.
    EXPECT_EQ(chooseWorkArea(RECT{1260, 100, 1580, 122}, both), 1);
}

TEST(FloatBarWorkArea, WithoutOverlapTheNearestIsChosen) {
    const std::vector<MonitorArea> both{Primary, Second};
    EXPECT_EQ(chooseWorkArea(RECT{3000, 100, 3320, 122}, both), 1);
    EXPECT_EQ(chooseWorkArea(RECT{-900, 500, -580, 522}, both), 0);
    EXPECT_EQ(chooseWorkArea(RECT{100, 990, 420, 1012}, both), 0) << "on the taskbar, below the work area";
    EXPECT_EQ(chooseWorkArea(RECT{0, 0, 10, 10}, {}), -1);
}

TEST(FloatBarWorkArea, FittingMovesTheStripInsideOnEverySide) {
    const RECT work = Primary.work;
    EXPECT_EQ(fitIntoWorkArea(RECT{1100, 500, 1420, 522}, work), (RECT{960, 500, 1280, 522}));
    EXPECT_EQ(fitIntoWorkArea(RECT{-50, 500, 270, 522}, work), (RECT{0, 500, 320, 522}));
    EXPECT_EQ(fitIntoWorkArea(RECT{100, -30, 420, -8}, work), (RECT{100, 0, 420, 22}));
    EXPECT_EQ(fitIntoWorkArea(RECT{100, 980, 420, 1002}, work), (RECT{100, 962, 420, 984}));
    EXPECT_EQ(fitIntoWorkArea(RECT{100, 500, 420, 522}, work), (RECT{100, 500, 420, 522})) << "inside stays";
}

TEST(FloatBarWorkArea, AStripWiderThanTheWorkAreaIsNarrowed) {
    EXPECT_EQ(fitIntoWorkArea(RECT{-100, 10, 1500, 32}, Primary.work), (RECT{0, 10, 1280, 32}));
}

TEST(FloatBarPlaceAtStart, WithoutSavedValuesTheDefaultPlaceOnThePrimaryMonitor) {
    const std::vector<MonitorArea> both{Second, Primary};
    EXPECT_EQ(placeBar(SavedPlacement{}, both, 22, 100), (RECT{960, 962, 1280, 984}));
}

TEST(FloatBarPlaceAtStart, TheSavedPlaceAndWidthAreKept) {
    SavedPlacement saved{1400, 300, 500};
    EXPECT_EQ(placeBar(saved, {Primary, Second}, 22, 100), (RECT{1400, 300, 1900, 322}));
}

TEST(FloatBarPlaceAtStart, APlaceOnARemovedMonitorComesBackIntoView) {
    SavedPlacement saved{1900, 300, 500};
    EXPECT_EQ(placeBar(saved, {Primary}, 22, 100), (RECT{780, 300, 1280, 322}));
    SavedPlacement farAway{-5000, 40000, 400};
    EXPECT_EQ(placeBar(farAway, {Primary}, 22, 100), (RECT{0, 962, 400, 984}));
}

TEST(FloatBarPlaceAtStart, AMissingCoordinateMeansTheDefaultPlaceWithTheSavedWidth) {
    SavedPlacement saved;
    saved.left = 100;
    saved.width = 400;
    EXPECT_EQ(placeBar(saved, {Primary}, 22, 100), (RECT{880, 962, 1280, 984}));
}

TEST(FloatBarPlaceAtStart, TheWidthIsNeverBelowTheMinimum) {
    SavedPlacement saved{10, 10, 30};
    EXPECT_EQ(placeBar(saved, {Primary}, 22, 77), (RECT{10, 10, 87, 32}));
}

TEST(FloatBarHandles, GripAtTheLeftEdgeAtTheRightBandBetween) {
    const FloatBarMetrics at96 = floatBarMetrics(96);
    EXPECT_EQ(zoneAt(0, 320, at96), FloatBarZone::Grip);
    EXPECT_EQ(zoneAt(FloatBarGripWidth - 1, 320, at96), FloatBarZone::Grip);
    EXPECT_EQ(zoneAt(FloatBarGripWidth, 320, at96), FloatBarZone::Band);
    EXPECT_EQ(zoneAt(320 - FloatBarEdgeWidth - 1, 320, at96), FloatBarZone::Band);
    EXPECT_EQ(zoneAt(320 - FloatBarEdgeWidth, 320, at96), FloatBarZone::Edge);
    EXPECT_EQ(zoneAt(319, 320, at96), FloatBarZone::Edge);
    // At 150 percent the handles are 12 and 8 pixels wide.
    const FloatBarMetrics at144 = floatBarMetrics(144);
    EXPECT_EQ(zoneAt(11, 480, at144), FloatBarZone::Grip);
    EXPECT_EQ(zoneAt(12, 480, at144), FloatBarZone::Band);
    EXPECT_EQ(zoneAt(471, 480, at144), FloatBarZone::Band);
    EXPECT_EQ(zoneAt(472, 480, at144), FloatBarZone::Edge);
}

TEST(FloatBarHandles, AMoveKeepsTheSize) {
    EXPECT_EQ(dragRect(RECT{100, 200, 420, 222}, FloatBarDrag::Move, -30, 45, 50, 1280),
              (RECT{70, 245, 390, 267}));
}

TEST(FloatBarHandles, AWidthDragKeepsTheLeftEdgeAndStaysWithinLimits) {
    const RECT start{100, 200, 420, 222};
    EXPECT_EQ(dragRect(start, FloatBarDrag::Width, 80, 33, 50, 1280), (RECT{100, 200, 500, 222}));
    EXPECT_EQ(dragRect(start, FloatBarDrag::Width, -400, 0, 50, 1280), (RECT{100, 200, 150, 222}));
    EXPECT_EQ(dragRect(start, FloatBarDrag::Width, 5000, 0, 50, 1280), (RECT{100, 200, 1380, 222}));
}

TEST(FloatBarMonitors, TheSystemReportsAPrimaryMonitorWithAWorkArea) {
    const std::vector<MonitorArea> monitors = currentMonitors();
    ASSERT_FALSE(monitors.empty());
    const MonitorArea* primary = primaryMonitor(monitors);
    ASSERT_NE(primary, nullptr);
    EXPECT_TRUE(primary->primary);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(primary->work, work);
}

class FloatBarRegistry : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath); }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath); }

    static void setValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        UniqueHKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  key.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    static bool dword(const wchar_t* name, DWORD& value) {
        DWORD type = 0, size = sizeof(value);
        return RegGetValueW(HKEY_CURRENT_USER, SettingsKeyPath, name, RRF_RT_ANY, &type, &value, &size) ==
                   ERROR_SUCCESS &&
               type == REG_DWORD;
    }
};

TEST_F(FloatBarRegistry, NothingSavedReadsEmpty) {
    const SavedPlacement saved = readSavedPlacement();
    EXPECT_FALSE(saved.left.has_value());
    EXPECT_FALSE(saved.top.has_value());
    EXPECT_FALSE(saved.width.has_value());
}

TEST_F(FloatBarRegistry, WrittenPlaceIsReadBackIncludingNegativeCoordinates) {
    ASSERT_EQ(writeSavedPlacement(RECT{-1180, -20, -700, 2}), ERROR_SUCCESS);
    DWORD value = 0;
    ASSERT_TRUE(dword(L"floatingBarLeft", value));
    EXPECT_EQ(value, static_cast<DWORD>(-1180));
    ASSERT_TRUE(dword(L"floatingBarTop", value));
    EXPECT_EQ(value, static_cast<DWORD>(-20));
    ASSERT_TRUE(dword(L"floatingBarWidth", value));
    EXPECT_EQ(value, 480u);
    const SavedPlacement saved = readSavedPlacement();
    EXPECT_EQ(saved.left.value_or(0), -1180);
    EXPECT_EQ(saved.top.value_or(0), -20);
    EXPECT_EQ(saved.width.value_or(0), 480);
}

TEST_F(FloatBarRegistry, ValuesOfAnotherTypeOrSizeAreIgnored) {
    setValue(L"floatingBarLeft", REG_SZ, L"12", 6);
    const unsigned long long wide = 44;
    setValue(L"floatingBarTop", REG_QWORD, &wide, sizeof(wide));
    const DWORD zero = 0;
    setValue(L"floatingBarWidth", REG_DWORD, &zero, sizeof(zero));
    const SavedPlacement saved = readSavedPlacement();
    EXPECT_FALSE(saved.left.has_value());
    EXPECT_FALSE(saved.top.has_value());
    EXPECT_FALSE(saved.width.has_value()) << "a width of 0 is no width";
}

TEST_F(FloatBarRegistry, TheNewNamesCollideWithNoOtherValueOrSubkey) {
    const wchar_t* const existing[] = {
        SettingName::MatchMode,       SettingName::AutoSelectMode,     SettingName::IncludeHistory,
        SettingName::IncludeFolderItems, SettingName::ForceUpdateOnStartup, SettingName::DisplayComputerName,
        SettingName::UsingWindowsColors, SettingName::HotKeyVirtualKey,  SettingName::HotKeyModifiers,
        SettingName::HotKeyDisable,   L"scanpaths",                    L"history",
        L"KESTSHX",
    };
    const wchar_t* const added[] = {SettingName::FloatingBarLeft, SettingName::FloatingBarTop,
                                    SettingName::FloatingBarWidth};
    for (const wchar_t* name : added) {
        for (const wchar_t* other : existing) EXPECT_NE(_wcsicmp(name, other), 0) << "collides: " << other;
        // Lower camel case, as the band's values.
        EXPECT_TRUE(name[0] >= L'a' && name[0] <= L'z');
        EXPECT_EQ(std::wcschr(name, L' '), nullptr);
    }
    EXPECT_NE(_wcsicmp(added[0], added[1]), 0);
    EXPECT_NE(_wcsicmp(added[1], added[2]), 0);
    EXPECT_NE(_wcsicmp(added[0], added[2]), 0);
}

TEST_F(FloatBarRegistry, WritingThePlaceLeavesTheBandSettingsAlone) {
    ASSERT_EQ(writeIncludeHistory(false), ERROR_SUCCESS);
    ASSERT_EQ(writeMatchMode(MatchMode::WordStart), ERROR_SUCCESS);
    HotKeySetting hotKey;
    hotKey.virtualKey = 'K';
    hotKey.modifiers = MOD_ALT;
    ASSERT_EQ(writeHotKey(hotKey), ERROR_SUCCESS);
    ASSERT_EQ(writeSavedPlacement(RECT{1, 2, 303, 24}), ERROR_SUCCESS);
    const SearchBarSettings settings = readSearchBarSettings();
    EXPECT_FALSE(settings.includeHistory);
    EXPECT_EQ(settings.matchMode, MatchMode::WordStart);
    EXPECT_EQ(settings.hotKey, hotKey);
    EXPECT_EQ(readSavedPlacement().width.value_or(0), 302);
}

}  // namespace
}  // namespace kest
