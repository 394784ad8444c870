// Loads indexes of 1,000, 10,000 and 50,000 entries into a real bar, types a word letter
// by letter through window messages and prints, per size, the median and worst time from a
// keystroke to the list filled, pre-selected and opened, and the time to fill the list
// with the whole index.
#include "SettingsNames.h"
#include "SimpleBarDlg.h"
#include "StringListKey.h"
#include <shlwapi.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace kest;

namespace {

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

const wchar_t* const words[] = {L"Notepad", L"Editor", L"Paint", L"Viewer", L"Player", L"Setup", L"Manager", L"Tool"};

void fillIndex(ShortcutIndex& index, int size) {
    index.clear();
    for (int i = 0; i < size; ++i) {
        ShortcutEntry entry;
        entry.name = std::wstring(words[i % 8]) + L" " + words[(i / 8) % 8] + L" " + std::to_wstring(i) + L".lnk";
        entry.path = L"C:\\Start Menu\\Programs\\Group" + std::to_wstring(i % 100) + L"\\" + entry.name;
        entry.executable = L"C:\\Program Files\\App" + std::to_wstring(i) + L"\\app.exe";
        index[entry.path] = entry;
    }
}

}  // namespace

int main() {
    ComInitialization com;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring emptyMenu = std::wstring(temp) + L"KestSearchBenchMenu";
    CreateDirectoryW(emptyMenu.c_str(), nullptr);
    SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath);
    WriteStringListKey(ScanPathsKeyPath, {emptyMenu});

    HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 400, 30, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    CSimpleBarDlg bar(nullptr);
    if (!parent || !bar.create(parent)) {
        std::fprintf(stderr, "no bar window\n");
        return 1;
    }
    while (bar.busy()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pump();
    }
    pump();
    HWND edit = bar.searchBox().editWindow();
    const std::wstring word = L"player";

    std::printf("entries  keystroke median ms  keystroke worst ms  whole-index fill ms\n");
    for (int size : {1000, 10000, 50000}) {
        fillIndex(bar.index(), size);
        SetFocus(edit);
        std::vector<double> keystrokes;
        for (int round = 0; round < 3; ++round) {
            for (wchar_t c : word) {
                const auto start = std::chrono::steady_clock::now();
                SendMessageW(edit, WM_CHAR, c, 1);
                keystrokes.push_back(millisecondsSince(start));
            }
            SendMessageW(edit, WM_CHAR, 27, 1);
            pump();
        }
        std::sort(keystrokes.begin(), keystrokes.end());
        const auto start = std::chrono::steady_clock::now();
        bar.searchBox().OnKillFocus();
        const double fill = millisecondsSince(start);
        {
            MatchSet probe;
            const auto t0 = std::chrono::steady_clock::now();
            collectMatches(bar.index(), L"", MatchMode::All, probe);
            const double matching = millisecondsSince(t0);
            const auto t1 = std::chrono::steady_clock::now();
            bar.searchBox().resetList();
            const double reset = millisecondsSince(t1);
            const auto t2 = std::chrono::steady_clock::now();
            bar.FillDropDown();
            std::printf("%7d  whole index: matching %.1f ms, emptying the list %.1f ms, filling it %.1f ms\n", size, matching,
                        reset, millisecondsSince(t2));
        }
        std::printf("%7d  %19.2f  %18.2f  %19.1f\n", size, keystrokes[keystrokes.size() / 2], keystrokes.back(), fill);
    }
    bar.destroy();
    DestroyWindow(parent);
    RemoveDirectoryW(emptyMenu.c_str());
    SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath);
    return 0;
}
