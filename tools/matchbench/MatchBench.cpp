// Prints how often the program a user means is pre-selected, and how often it is among the
// first three items, for typed texts over a Start Menu of real program names: under Best
// Match and, for comparison, under All with Auto-Select First (the defaults), per kind of
// case and overall. The Start Menu and the cases are the text files beside the program (or
// in the folder given as the first argument); "--misses" also lists the cases Best Match
// gets wrong. A benchmark: it judges nothing.
#include "history/HistoryMap.h"
#include "history/PickFile.h"
#include "kestentry/PackagedApps.h"
#include "search/BestMatchList.h"
#include "search/MatchCatalog.h"
#include "UniqueHandle.h"
#include <windows.h>
#include <objbase.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

using namespace kest;

namespace {

std::wstring fromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

std::wstring trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t\r");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t\r") - first + 1);
}

// The fields of the lines of a data file: fields are separated by " | ", lines that are
// empty or begin with "#" are skipped.
std::vector<std::vector<std::wstring>> readTable(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    if (!file) {
        fprintf(stderr, "cannot read %s\n", toUtf8(path).c_str());
        exit(2);
    }
    std::vector<std::vector<std::wstring>> rows;
    std::string line;
    while (std::getline(file, line)) {
        const std::wstring text = trimmed(fromUtf8(line));
        if (text.empty() || text[0] == L'#') continue;
        std::vector<std::wstring> fields;
        for (size_t start = 0;;) {
            const size_t bar = text.find(L'|', start);
            fields.push_back(trimmed(text.substr(start, bar == std::wstring::npos ? bar : bar - start)));
            if (bar == std::wstring::npos) break;
            start = bar + 1;
        }
        rows.push_back(std::move(fields));
    }
    return rows;
}

// The Start Menu as the index holds it: a ".lnk" per program file, a ".url" per address,
// the packaged apps under their Applications-folder paths.
ShortcutIndex readStartMenu(const std::wstring& path) {
    const std::wstring programs = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
    ShortcutIndex index;
    for (const auto& fields : readTable(path)) {
        if (fields.size() < 3) continue;
        ShortcutEntry entry;
        entry.executable = fields[2];
        entry.arguments = fields.size() > 3 ? fields[3] : L"";
        if (entry.executable.rfind(AppsFolderPrefix, 0) == 0) {
            entry.name = fields[1];
            entry.path = entry.executable;
        } else {
            entry.name = fields[1] + (entry.executable.find(L"://") != std::wstring::npos ? L".url" : L".lnk");
            entry.path = programs + (fields[0] == L"." ? L"" : fields[0] + L"\\") + entry.name;
        }
        index[entry.path] = entry;
    }
    return index;
}

struct Case {
    std::wstring kind;
    std::wstring text;
    std::wstring expected;  // a shortcut's name without extension; empty: nothing pre-selected
    std::wstring pickedFor;  // for learned picks: the text the pick was made for
};

std::vector<Case> readCases(const std::wstring& path) {
    std::vector<Case> cases;
    for (const auto& fields : readTable(path)) {
        if (fields.size() < 3) continue;
        Case item{fields[0], fields[1], fields[2] == L"-" ? L"" : fields[2], L""};
        if (item.kind == L"pick") item.pickedFor = fields.size() > 3 && !fields[3].empty() ? fields[3] : fields[1];
        cases.push_back(item);
    }
    return cases;
}

std::wstring nameWithoutExtension(const ShortcutEntry& entry) {
    if (isAppsFolderPath(entry.path)) return entry.name;
    const size_t dot = entry.name.rfind(L'.');
    return dot == std::wstring::npos ? entry.name : entry.name.substr(0, dot);
}

// What the bar shows for a typed text: the names of its first items, and whether the first
// one is pre-selected (so that Enter starts it rather than running the text).
struct Outcome {
    std::vector<std::wstring> firstNames;  // at most three
    bool preselected = false;
};

// Under All with Auto-Select First: the catalog's matches in list order, the first selected.
Outcome allModeOutcome(const MatchCatalog& catalog, const std::wstring& text) {
    MatchSet matches;
    std::vector<uint32_t> listed;
    Outcome outcome;
    if (catalog.collect(text, MatchMode::All, matches, listed) <= 0) return outcome;
    for (size_t i = 0; i < listed.size() && i < 3; ++i)
        outcome.firstNames.push_back(nameWithoutExtension(*catalog.entry(listed[i])));
    outcome.preselected = !listed.empty();
    return outcome;
}

constexpr UINT PicksReady = WM_APP + 1;

// Under Best Match, as the bar lists it: its Best Match list over the same catalog and
// launch history, with the learned picks it reads from the picks file.
class BestMatchBench {
public:
    BestMatchBench(const MatchCatalog& catalog, const HistoryMap& history) : catalog_(catalog), history_(history) {
        window_.reset(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
        list_.start(window_.get(), PicksReady, nullptr);
        // The list starts reading the picks file when it is first asked to match; the cases
        // are typed once the picks have been read, as a user types after the bar started.
        MatchSet matches;
        std::vector<uint32_t> listed;
        list_.collect(MatchMode::BestMatch, L"", catalog_, history_, matches, listed);
        waitForPicks(true);
    }
    BestMatchBench(const BestMatchBench&) = delete;
    BestMatchBench& operator=(const BestMatchBench&) = delete;

    Outcome outcome(const std::wstring& text) {
        MatchSet matches;
        std::vector<uint32_t> listed;
        Outcome outcome;
        if (list_.collect(MatchMode::BestMatch, text, catalog_, history_, matches, listed) <= 0) return outcome;
        for (size_t i = 0; i < listed.size() && i < 3; ++i)
            outcome.firstNames.push_back(nameWithoutExtension(*catalog_.entry(listed[i])));
        std::wstring command;
        outcome.preselected = list_.mayPreselect() && !list_.runsTypedText(command);
        return outcome;
    }

    // Types text and starts the program named expected from the list, as the user does; the
    // list records the pick and its store saves it.
    void pick(const std::wstring& text, const std::wstring& expected) {
        outcome(text);
        for (uint32_t position = 0; position < catalog_.size(); ++position)
            if (nameWithoutExtension(*catalog_.entry(position)) == expected) list_.recordPick(*catalog_.entry(position));
        waitForPicks(false);
    }

private:
    // Takes what the picks' worker read or saved, until it has read the file (when read)
    // and saved every pick.
    void waitForPicks(bool read) {
        bool arrived = !read;
        const DWORD start = GetTickCount();
        while ((!arrived || list_.picks()->unsavedCount() > 0) && GetTickCount() - start < 30000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, window_.get(), 0, 0, PM_REMOVE)) {
                if (message.message != PicksReady) continue;
                list_.takePicks();
                arrived = true;
            }
        }
    }

    const MatchCatalog& catalog_;
    const HistoryMap& history_;
    UniqueHWnd window_;  // receives the store's notices; outlives the list
    BestMatchList list_;
};

// A file of the user's put aside for the run and put back after it, so that the run starts
// with no launch history and no picks, and leaves the user's as they were.
class FileSetAside {
public:
    explicit FileSetAside(std::wstring path) : path_(std::move(path)) {
        std::ifstream file(path_.c_str(), std::ios::binary);
        existed_ = static_cast<bool>(file);
        if (existed_) bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        file.close();
        DeleteFileW(path_.c_str());
    }
    ~FileSetAside() {
        DeleteFileW(path_.c_str());
        if (!existed_) return;
        std::ofstream file(path_.c_str(), std::ios::binary | std::ios::trunc);
        file.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
    }
    FileSetAside(const FileSetAside&) = delete;
    FileSetAside& operator=(const FileSetAside&) = delete;

private:
    std::wstring path_;
    bool existed_ = false;
    std::string bytes_;
};

struct Tally {
    int cases = 0;
    int first = 0;
    int firstThree = 0;

    void add(const Outcome& outcome, const std::wstring& expected) {
        ++cases;
        if (expected.empty()) {
            // Nothing may be pre-selected: then the list's contents do not matter.
            first += !outcome.preselected;
            firstThree += !outcome.preselected;
            return;
        }
        first += outcome.preselected && !outcome.firstNames.empty() && outcome.firstNames[0] == expected;
        for (const std::wstring& name : outcome.firstNames) firstThree += name == expected;
    }
};

std::string percent(int part, int whole) {
    char text[16];
    snprintf(text, sizeof text, "%5.1f%%", whole ? 100.0 * part / whole : 0.0);
    return text;
}

std::wstring dataFolder(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != L'-') return argv[i];
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module, length);
    return folder.substr(0, folder.rfind(L'\\'));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool listMisses = false;
    for (int i = 1; i < argc; ++i) listMisses |= std::wstring(argv[i]) == L"--misses";
    const std::wstring folder = dataFolder(argc, argv);
    const ShortcutIndex index = readStartMenu(folder + L"\\startmenu.txt");
    const std::vector<Case> cases = readCases(folder + L"\\cases.txt");
    MatchCatalog catalog;
    catalog.build(index);

    std::map<std::wstring, Tally> best, all;
    std::vector<std::wstring> kinds;
    const auto tally = [&](const Case& item, const Outcome& outcome, const Outcome& allOutcome) {
        if (!best.count(item.kind)) kinds.push_back(item.kind);
        best[item.kind].add(outcome, item.expected);
        best[L"overall"].add(outcome, item.expected);
        all[item.kind].add(allOutcome, item.expected);
        all[L"overall"].add(allOutcome, item.expected);
        const bool missed = item.expected.empty() ? outcome.preselected
                                                  : !outcome.preselected || outcome.firstNames[0] != item.expected;
        if (listMisses && missed)
            printf("miss  %-8s %-22s expected %s, got %s\n", toUtf8(item.kind).c_str(), toUtf8(item.text).c_str(),
                   item.expected.empty() ? "nothing" : toUtf8(item.expected).c_str(),
                   outcome.preselected ? toUtf8(outcome.firstNames[0]).c_str() : "nothing");
    };
    {
        const FileSetAside history(HistoryMap::historyFilePath());
        const FileSetAside picks(pickFilePath());
        const HistoryMap launches;
        std::map<size_t, Outcome> outcomes;  // by case
        {
            BestMatchBench bench(catalog, launches);
            for (size_t i = 0; i < cases.size(); ++i)
                if (cases[i].kind != L"pick") outcomes[i] = bench.outcome(cases[i].text);
            for (const Case& item : cases)
                if (item.kind == L"pick") bench.pick(item.pickedFor, item.expected);
        }
        // A new list, as after a restart, knows the picks only from the file.
        BestMatchBench restarted(catalog, launches);
        for (size_t i = 0; i < cases.size(); ++i)
            if (cases[i].kind == L"pick") outcomes[i] = restarted.outcome(cases[i].text);
        for (size_t i = 0; i < cases.size(); ++i) tally(cases[i], outcomes[i], allModeOutcome(catalog, cases[i].text));
    }
    kinds.push_back(L"overall");

    printf("matchbench: %zu programs, %zu cases; share of cases whose program is pre-selected (first)\n"
           "and among the first three (top 3); \"-\" cases count when nothing is pre-selected\n\n",
           index.size(), cases.size());
    printf("%-10s %5s   %-17s   %-17s\n", "kind", "cases", "Best Match", "All (Auto-Select First)");
    printf("%-10s %5s   %-8s %-8s   %-8s %-8s\n", "", "", "first", "top 3", "first", "top 3");
    for (const std::wstring& kind : kinds) {
        const Tally& b = best[kind];
        const Tally& a = all[kind];
        printf("%-10s %5d   %-8s %-8s   %-8s %-8s\n", toUtf8(kind).c_str(), b.cases, percent(b.first, b.cases).c_str(),
               percent(b.firstThree, b.cases).c_str(), percent(a.first, a.cases).c_str(),
               percent(a.firstThree, a.cases).c_str());
    }
    CoUninitialize();
    return 0;
}
