// The bar following the disk, measured in a real bar over a Start Menu of 2,000 shortcuts:
// how long a new shortcut takes to be listed for a typed prefix, how long a removed one takes
// to disappear, and the keystroke median while a background rescan runs against the idle
// median of the same run. Each measurement starts at least 10 s after the last rescan.
#include "FollowBench.h"
#include "SettingsNames.h"
#include "SimpleBarDlg.h"
#include "StringListKey.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace kest;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void pumpFor(double milliseconds) {
    const auto start = Clock::now();
    while (millisecondsSince(start) < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pump();
    }
}

bool listShows(HWND box, const std::wstring& text) {
    return SendMessageW(box, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())) != CB_ERR;
}

// Pumps until the list shows text (or no longer does); the time in ms, or -1 after 30 s.
double waitUntil(HWND box, const std::wstring& text, bool shown) {
    const auto start = Clock::now();
    while (listShows(box, text) != shown) {
        if (millisecondsSince(start) > 30000) return -1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        pump();
    }
    return millisecondsSince(start);
}

double keystroke(HWND edit, wchar_t c) {
    const auto start = Clock::now();
    SendMessageW(edit, WM_CHAR, c, 1);
    return millisecondsSince(start);
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool copyShortcut(const std::wstring& from, const std::wstring& to) { return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE; }

}  // namespace

int runFollowBench(const std::wstring& menu, const std::wstring& anyShortcut) {
    StringList savedLocations;
    ReadStringListKey(ScanPathsKeyPath, savedLocations);
    WriteStringListKey(ScanPathsKeyPath, {menu});
    HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 400, 30, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    int status = 0;
    {
        CSimpleBarDlg bar(nullptr);
        if (!parent || !bar.create(parent)) {
            std::printf("no bar window\n");
            status = 1;
        } else {
            while (bar.busy()) pumpFor(20);
            ShowWindow(bar.hwnd(), SW_SHOWNORMAL);
            UpdateWindow(bar.hwnd());
            pump();
            HWND box = bar.searchBox().hwnd();
            HWND edit = bar.searchBox().editWindow();
            SetFocus(edit);
            std::printf("following the disk, %zu entries (three runs each, ms)\n", bar.index().size());
            std::printf("run  new shortcut listed  removed one gone  keystroke median idle  during a rescan  ratio\n");
            const std::wstring added = menu + L"\\Program 7\\Zephyr Notes.lnk";
            const std::wstring touched = menu + L"\\Program 3\\Touched.lnk";
            for (int run = 1; run <= 3; ++run) {
                pumpFor(10500);
                for (wchar_t c : std::wstring(L"zep")) keystroke(edit, c);
                copyShortcut(anyShortcut, added);
                const double listed = waitUntil(box, L"Zephyr Notes", true);
                pumpFor(10500);
                DeleteFileW(added.c_str());
                const double gone = waitUntil(box, L"Zephyr Notes", false);
                SendMessageW(edit, WM_CHAR, 27, 1);
                pumpFor(10500);

                // Both sets of keys come at the same pace, 10 ms apart, so that they differ only
                // in the rescan.
                std::vector<double> idle, busy;
                for (int i = 0; i < 40; ++i) {
                    idle.push_back(keystroke(edit, L'p'));
                    idle.push_back(keystroke(edit, L'\b'));
                    pumpFor(10);
                }
                // A change, then 2 s of quiet: the rescan starts; keys go on until its index
                // is in place.
                copyShortcut(anyShortcut, touched);
                pumpFor(2000);
                const auto start = Clock::now();
                while (!listShows(box, L"Touched") && millisecondsSince(start) < 30000) {
                    busy.push_back(keystroke(edit, L'p'));
                    busy.push_back(keystroke(edit, L'\b'));
                    pumpFor(10);
                }
                DeleteFileW(touched.c_str());
                // The next run starts 10 s after the rescan that takes it away again.
                waitUntil(box, L"Touched", false);
                const double idleMedian = median(idle), busyMedian = median(busy);
                std::printf("%3d  %19.0f  %16.0f  %21.2f  %15.2f  %5.2f\n", run, listed, gone, idleMedian, busyMedian,
                            idleMedian > 0 ? busyMedian / idleMedian : 0.0);
                std::fflush(stdout);
            }
            std::printf("targets: listed and gone under 5000 ms; ratio at most 1.5\n");
            bar.destroy();
        }
    }
    if (parent) DestroyWindow(parent);
    WriteStringListKey(ScanPathsKeyPath, savedLocations);
    return status;
}
