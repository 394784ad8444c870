// Loads indexes of 1,000, 10,000 and 50,000 entries into a real bar, types a word letter
// by letter through window messages and prints, per size, the median and worst time from a
// keystroke to the list filled, pre-selected and opened, and the time to fill the list
// with the whole index. The entries name 500 icon files between them, drawn in the list as
// they are in use; it prints the memory those icons take once all are extracted. Over
// 10,000 entries it then types the word under All and under Best Match in the same run and
// prints both side by side, with the time Best Match spends scoring alone.
#include "SettingsNames.h"
#include "SimpleBarDlg.h"
#include "StringListKey.h"
#include "SolidIconFile.h"
#include "search/BestMatch.h"
#include "search/TextRules.h"
#include <psapi.h>
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

// User and kernel time of the calling thread, in the clock's 10 to 16 ms steps.
double threadMilliseconds() {
    FILETIME creation, exit, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user)) return 0;
    auto toMs = [](const FILETIME& time) {
        return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) /
               10000.0;
    };
    return toMs(kernel) + toMs(user);
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Names as a Start Menu has them: one to three words from a vocabulary of made-up words,
// so that each typed letter narrows the list the way it does for a user.
std::vector<std::wstring> makeVocabulary() {
    const wchar_t* const syllables[] = {L"no", L"te", L"pad", L"ma", L"ri", L"con", L"ver", L"sa", L"lo", L"ki",
                                        L"dex", L"pho", L"tor", L"bel", L"quin", L"ga", L"mu", L"zen", L"fi", L"ra"};
    std::vector<std::wstring> vocabulary;
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    while (vocabulary.size() < 400) {
        std::wstring word;
        const unsigned count = 2 + next() % 2;
        for (unsigned i = 0; i < count; ++i) word += syllables[next() % 20];
        word[0] = static_cast<wchar_t>(towupper(word[0]));
        vocabulary.push_back(word);
    }
    return vocabulary;
}

constexpr int IconFiles = 500;

std::wstring iconFile(const std::wstring& folder, int number) {
    return folder + L"\\icon" + std::to_wstring(number) + L".ico";
}

// The process's commit charge: its private memory (Wine reports no PrivateUsage).
SIZE_T privateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

// Extracts the icons of every entry and prints what they add to the process's memory.
void measureIconMemory(CSimpleBarDlg& bar) {
    ProgramIconCache* icons = bar.searchBox().programIcons();
    if (!icons) return;
    const SIZE_T before = privateBytes();
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [path, entry] : bar.index()) icons->find(iconSourceFor(entry));
    while (icons->pendingCount() > 0 && millisecondsSince(start) < 120000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pump();
    }
    const double extracting = millisecondsSince(start);
    const double added = static_cast<double>(privateBytes()) - static_cast<double>(before);
    std::printf("%7zu  icons: %d distinct, extracted in %.0f ms on the icon thread, %.0f KB added (%.1f KB each)\n",
                bar.index().size(), IconFiles, extracting, added / 1024, added / 1024 / IconFiles);
}

ShortcutIndex makeIndex(int size, const std::vector<std::wstring>& vocabulary, const std::wstring& icons) {
    ShortcutIndex index;
    unsigned seed = 777;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int i = 0; i < size; ++i) {
        ShortcutEntry entry;
        const unsigned words = 1 + next() % 3;
        for (unsigned w = 0; w < words; ++w) entry.name += (w ? L" " : L"") + vocabulary[next() % vocabulary.size()];
        entry.name += L" " + std::to_wstring(i) + L".lnk";
        entry.path = L"C:\\Start Menu\\Programs\\Group" + std::to_wstring(i % 100) + L"\\" + entry.name;
        entry.executable = L"C:\\Program Files\\App" + std::to_wstring(i) + L"\\app.exe";
        entry.iconlocation = iconFile(icons, i % IconFiles);
        entry.iconindex = 0;
        index[entry.path] = entry;
    }
    return index;
}

// Typed letter by letter, rounds times: the keystroke times, sorted; processor adds the
// window thread's processor time over the typed letters, without the Escape between rounds.
std::vector<double> typeWord(HWND edit, const std::wstring& word, int rounds, double& processor) {
    SetFocus(edit);
    std::vector<double> keystrokes;
    for (int round = 0; round < rounds; ++round) {
        const double cpuStart = threadMilliseconds();
        for (wchar_t c : word) {
            const auto start = std::chrono::steady_clock::now();
            SendMessageW(edit, WM_CHAR, c, 1);
            keystrokes.push_back(millisecondsSince(start));
        }
        processor += threadMilliseconds() - cpuStart;
        SendMessageW(edit, WM_CHAR, 27, 1);
        pump();
    }
    std::sort(keystrokes.begin(), keystrokes.end());
    return keystrokes;
}

void compareBestMatchWithAll(CSimpleBarDlg& bar, HWND edit, const std::wstring& word, ShortcutIndex index) {
    bar.replaceIndex(std::move(index));
    std::printf("%7zu  mode        keystroke median ms  keystroke worst ms  scoring median ms  scoring worst ms\n",
                bar.index().size());
    for (const UINT command : {MatchAllCommandId, MatchBestCommandId}) {
        SendMessageW(bar.hwnd(), WM_COMMAND, command, 0);
        // A first round untimed, so that both modes show icons already extracted.
        double processor = 0;
        typeWord(edit, word, 1, processor);
        // On a machine shared with other work the wall times vary with the load; the
        // window thread's processor time per keystroke much less.
        processor = 0;
        const std::vector<double> keystrokes = typeWord(edit, word, 20, processor);
        const double cpuPerTyped = processor / static_cast<double>(keystrokes.size());
        std::printf("%7zu  %-10ls  %19.2f  %18.2f", bar.index().size(),
                    command == MatchAllCommandId ? L"All" : L"Best Match", keystrokes[keystrokes.size() / 2],
                    keystrokes.back());
        if (command == MatchAllCommandId) {
            std::printf("  (processor %.2f ms per keystroke)\n", cpuPerTyped);
            continue;
        }
        // Scoring alone: the typed text prepared and every entry scored and ranked, 20 times
        // per keystroke; the processor time beside the wall times, as above.
        MatchCatalog catalog;
        catalog.build(bar.index());
        std::vector<double> scoring;
        BestMatchRanking ranking;
        const double cpuStart = threadMilliseconds();
        for (int round = 0; round < 20; ++round) {
            for (size_t length = 1; length <= word.size(); ++length) {
                const auto start = std::chrono::steady_clock::now();
                rankBestMatchItems(catalog.bestMatchItems(), prepareBestMatchText(word.substr(0, length)), {}, 50,
                                   ranking);
                scoring.push_back(millisecondsSince(start));
            }
        }
        const double cpuPerKeystroke = (threadMilliseconds() - cpuStart) / static_cast<double>(scoring.size());
        std::printf("%7zu  Best Match listed per keystroke:", bar.index().size());
        for (size_t length = 1; length <= word.size(); ++length) {
            rankBestMatchItems(catalog.bestMatchItems(), prepareBestMatchText(word.substr(0, length)), {}, 50, ranking);
            std::printf(" %zu", ranking.positions.size());
        }
        std::printf("\n");
        std::sort(scoring.begin(), scoring.end());
        std::printf("  %17.3f  %16.3f  (processor %.2f ms per keystroke, %.3f ms scoring)\n",
                    scoring[scoring.size() / 2], scoring.back(), cpuPerTyped, cpuPerKeystroke);
    }
    SendMessageW(bar.hwnd(), WM_COMMAND, MatchAllCommandId, 0);
}

}  // namespace

int main() {
    ComInitialization com;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring emptyMenu = std::wstring(temp) + L"KestSearchBenchMenu";
    CreateDirectoryW(emptyMenu.c_str(), nullptr);
    const std::wstring icons = std::wstring(temp) + L"KestSearchBenchIcons";
    CreateDirectoryW(icons.c_str(), nullptr);
    for (int i = 0; i < IconFiles; ++i)
        kesttest::writeSolidIconFile(iconFile(icons, i), RGB(i % 256, (i * 7) % 256, (i / 2) % 256));
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
    // The edit field is taken over when it first paints.
    ShowWindow(bar.hwnd(), SW_SHOWNORMAL);
    UpdateWindow(bar.hwnd());
    pump();
    HWND edit = bar.searchBox().editWindow();
    if (!bar.searchBox().edit().attached()) {
        std::fprintf(stderr, "the edit field was not taken over\n");
        return 1;
    }
    const std::vector<std::wstring> vocabulary = makeVocabulary();
    const std::wstring word = asciiLower(vocabulary[7]);
    std::printf("typed word: %ls\n", word.c_str());

    bar.replaceIndex(makeIndex(10000, vocabulary, icons));
    measureIconMemory(bar);
    std::printf("entries  keystroke median ms  keystroke worst ms  whole-index fill ms\n");
    for (int size : {1000, 10000, 50000}) {
        {
            ShortcutIndex index = makeIndex(size, vocabulary, icons);
            const auto start = std::chrono::steady_clock::now();
            bar.replaceIndex(std::move(index));
            std::printf("%7d  preparing the index for matching: %.1f ms\n", size, millisecondsSince(start));
        }
        std::printf("%7d  matches per keystroke:", size);
        for (size_t length = 1; length <= word.size(); ++length) {
            MatchSet matches;
            collectMatches(bar.index(), word.substr(0, length), readMatchMode(), matches);
            std::printf(" %zu", matches.size());
        }
        std::printf("\n");
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
            // The processor time of this thread beside each wall time: on a busy machine the
            // wall times grow with the load, the processor times much less.
            MatchCatalog catalog;
            catalog.build(bar.index());
            MatchSet probe;
            std::vector<uint32_t> listed;
            const auto t0 = std::chrono::steady_clock::now();
            const double c0 = threadMilliseconds();
            catalog.collect(L"", MatchMode::All, probe, listed);
            const double matching = millisecondsSince(t0), matchingCpu = threadMilliseconds() - c0;
            const auto t1 = std::chrono::steady_clock::now();
            const double c1 = threadMilliseconds();
            bar.searchBox().resetList();
            const double reset = millisecondsSince(t1), resetCpu = threadMilliseconds() - c1;
            const auto t2 = std::chrono::steady_clock::now();
            const double c2 = threadMilliseconds();
            bar.FillDropDown();
            const double filling = millisecondsSince(t2), fillingCpu = threadMilliseconds() - c2;
            std::printf("%7d  whole index (wall / processor ms): matching %.1f / %.0f, emptying the list %.1f / %.0f, "
                        "filling it %.1f / %.0f\n",
                        size, matching, matchingCpu, reset, resetCpu, filling, fillingCpu);
        }
        std::printf("%7d  %19.2f  %18.2f  %19.1f\n", size, keystrokes[keystrokes.size() / 2], keystrokes.back(), fill);
    }
    compareBestMatchWithAll(bar, edit, word, makeIndex(10000, vocabulary, icons));
    bar.destroy();
    DestroyWindow(parent);
    RemoveDirectoryW(emptyMenu.c_str());
    for (int i = 0; i < IconFiles; ++i) DeleteFileW(iconFile(icons, i).c_str());
    RemoveDirectoryW(icons.c_str());
    SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath);
    return 0;
}
