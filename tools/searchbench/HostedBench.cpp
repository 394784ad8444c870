// The band of a given kestbar.dll, hosted in a window of this process through the module's
// exports as the taskbar hosts it, measured from outside: the start is the time from
// SetSite until the search box shows the index, a keystroke is WM_KEYDOWN, WM_CHAR and
// WM_KEYUP sent to the box's edit field, and the whole-index fill is the Escape that empties
// the text and refills the list with every entry. The list paints between keystrokes, as it
// does while a user types. Nothing of the band is called directly, so any build's module
// can be measured by this program.
//
// The comparison writes the band's settings, index file and history file of the user it
// runs as; it puts back the two files it found and removes the settings at the end.
#include "HostedBench.h"
#include "BandIdentity.h"
#include "BenchIndex.h"
#include "CHostedBand.h"
#include "ComPtr.h"
#include "SearchBarSettings.h"
#include "SettingsNames.h"
#include "SolidIconFile.h"
#include "StringListKey.h"
#include "UniqueHandle.h"
#include "history/HistoryMap.h"
#include "kestentry/IndexFile.h"
#include "search/TextRules.h"
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace kest;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double toMilliseconds(const FILETIME& kernel, const FILETIME& user) {
    auto value = [](const FILETIME& time) {
        return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (value(kernel) + value(user)) / 10000.0;
}

// Processor time of the calling thread and of the whole process, in the clock's 10 to 16 ms
// steps: on a busy machine the wall times grow with the load, these much less. Summed over
// many keys, the steps average out.
double threadMilliseconds() {
    FILETIME creation, exit, kernel, user;
    return GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user) ? toMilliseconds(kernel, user) : 0;
}

double processMilliseconds() {
    FILETIME creation, exit, kernel, user;
    return GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user) ? toMilliseconds(kernel, user) : 0;
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::wstring tempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

// ---------------------------------------------------------------- one build, one process

BOOL CALLBACK findComboBox(HWND window, LPARAM found) {
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    if (_wcsicmp(name, L"ComboBox") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A band of the module hosted in a window of its own, shown and given the focus.
class HostedBand {
public:
    explicit HostedBand(const std::wstring& dll) {
        module_.load(dll);
        host_ = CreateWindowExW(0, L"STATIC", L"searchbench", WS_POPUP | WS_VISIBLE, 0, 0, 400, 30, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    HostedBand(const HostedBand&) = delete;
    HostedBand& operator=(const HostedBand&) = delete;
    ~HostedBand() {
        band_.close();
        if (host_) DestroyWindow(host_);
    }

    // Sites the band and pumps until its search box shows a filled list; the time that took
    // in ms, or a negative number when it failed.
    double start() {
        if (!module_.loaded() || !host_) return -1;
        const auto begin = Clock::now();
        const double processorBefore = processMilliseconds();
        ComPtr<IUnknown> object;
        if (FAILED(module_.createObject(CLSID_KestDeskBand, object)) ||
            FAILED(band_.open(object.get(), host_, nullptr)))
            return -1;
        DESKBANDINFO info{};
        band_.bandInfo(DBIF_VIEWMODE_NORMAL, info);
        MoveWindow(band_.window(), 0, 0, 400, info.ptMinSize.y > 0 ? info.ptMinSize.y : 24, TRUE);
        band_.show(true);
        const auto shown = [this] {
            if (!box_) EnumChildWindows(band_.window(), findComboBox, reinterpret_cast<LPARAM>(&box_));
            return box_ && IsWindowVisible(box_) && SendMessageW(box_, CB_GETCOUNT, 0, 0) > 0;
        };
        while (!shown()) {
            if (millisecondsSince(begin) > 60000) {
                std::fprintf(stderr, "after 60 s: search box %s, %s, %d items\n", box_ ? "found" : "not found",
                             box_ && IsWindowVisible(box_) ? "shown" : "hidden",
                             box_ ? static_cast<int>(SendMessageW(box_, CB_GETCOUNT, 0, 0)) : 0);
                return -1;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
            pump();
        }
        const double started = millisecondsSince(begin);
        startProcessor_ = processMilliseconds() - processorBefore;
        band_.activate();
        UpdateWindow(host_);
        pump();
        COMBOBOXINFO parts{sizeof(parts)};
        if (GetComboBoxInfo(box_, &parts)) edit_ = parts.hwndItem;
        return started;
    }

    HWND edit() const noexcept { return edit_; }
    // The processor time of all the process's threads during the start, in ms.
    double startProcessor() const noexcept { return startProcessor_; }

    // One key as a keyboard gives it to the focused field; the time until the band has
    // handled it, in ms. The list paints afterwards, outside the time.
    double key(UINT virtualKey, wchar_t character) {
        const auto begin = Clock::now();
        const double processorBefore = threadMilliseconds();
        SendMessageW(edit_, WM_KEYDOWN, virtualKey, 1);
        SendMessageW(edit_, WM_CHAR, character, 1);
        SendMessageW(edit_, WM_KEYUP, virtualKey, 0xC0000001);
        const double handled = millisecondsSince(begin);
        keyProcessor_ = threadMilliseconds() - processorBefore;
        pump();
        return handled;
    }
    // The window thread's processor time for the last key, in ms.
    double keyProcessor() const noexcept { return keyProcessor_; }

private:
    CBandModuleFile module_;
    CHostedBand band_;
    HWND host_ = nullptr;
    HWND box_ = nullptr;
    HWND edit_ = nullptr;
    double startProcessor_ = 0;
    double keyProcessor_ = 0;
};

// The typed word and the Escape that empties the text, this many times.
constexpr int Rounds = 10;

int runTypingChild(const std::wstring& dll) {
    HostedBand band(dll);
    const double started = band.start();
    if (started < 0 || !band.edit()) {
        std::fprintf(stderr, "the band of %ls did not start\n", dll.c_str());
        return 1;
    }
    std::printf("file-start-large %.2f\n", started);
    const std::wstring word = asciiLower(makeVocabulary()[7]);
    std::vector<double> keystrokes, fills;
    double keysProcessor = 0, fillsProcessor = 0;
    for (int round = 0; round < Rounds; ++round) {
        for (wchar_t c : word) {
            keystrokes.push_back(band.key(static_cast<UINT>(towupper(c)), c));
            keysProcessor += band.keyProcessor();
        }
        fills.push_back(band.key(VK_ESCAPE, 27));
        fillsProcessor += band.keyProcessor();
    }
    std::printf("keystroke-median %.2f\nkeystroke-worst %.2f\nfill %.2f\n", median(keystrokes),
                *std::max_element(keystrokes.begin(), keystrokes.end()), median(fills));
    std::printf("keystroke-processor %.2f\nfill-processor %.2f\n", keysProcessor / keystrokes.size(),
                fillsProcessor / fills.size());
    return 0;
}

int runStartChild(const std::wstring& dll, bool rescan) {
    writeForceUpdateOnStartup(rescan);
    HostedBand band(dll);
    const double started = band.start();
    if (started < 0) {
        std::fprintf(stderr, "the band of %ls did not start\n", dll.c_str());
        return 1;
    }
    std::printf("%s %.2f\n%s-processor %.2f\n", rescan ? "rescan-start" : "file-start", started,
                rescan ? "rescan-start" : "file-start", band.startProcessor());
    return 0;
}

// ---------------------------------------------------------------- the comparison

constexpr int MenuShortcuts = 2000;

// A Start Menu of 2,000 shortcuts to notepad in 100 folders.
bool buildMenu(const std::wstring& root) {
    ComPtr<IShellLinkW> link;
    if (FAILED(createInstance(CLSID_ShellLink, IID_IShellLinkW, link))) return false;
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    link->SetPath((std::wstring(system) + L"\\notepad.exe").c_str());
    link->SetWorkingDirectory(system);
    ComPtr<IPersistFile> file = link.query<IPersistFile>();
    if (!file) return false;
    CreateDirectoryW(root.c_str(), nullptr);
    for (int folder = 0; folder < MenuShortcuts / 20; ++folder) {
        const std::wstring path = root + L"\\Program " + std::to_wstring(folder);
        CreateDirectoryW(path.c_str(), nullptr);
        for (int shortcut = 0; shortcut < 20; ++shortcut)
            if (FAILED(file->Save((path + L"\\Shortcut " + std::to_wstring(shortcut) + L".lnk").c_str(), TRUE)))
                return false;
    }
    return true;
}

void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(folder + L"\\" + name);
            else DeleteFileW((folder + L"\\" + name).c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// A history file of launches of the first entries' programs, counted 1 to 20 times.
bool writeHistoryFile(const ShortcutIndex& index, size_t launches) {
    std::wstring text = L"<?xml version=\"1.0\"?>\n<!--Kestrune History Mapdata XML file.-->\n"
                        L"<root created=\"using DOM from MSXML 2.6\">";
    size_t written = 0;
    for (const auto& [path, entry] : index) {
        if (written == launches) break;
        text += L"\n\t<KESTRUNEHISTORYENTRY>\n\t\t<path>" + asciiLower(entry.executable) + L"</path><count>" +
                std::to_wstring(1 + written % 20) + L"</count><lasttimehigh>31000000</lasttimehigh><lasttimelow>" +
                std::to_wstring(written) + L"</lasttimelow>\n\t</KESTRUNEHISTORYENTRY>";
        ++written;
    }
    text += L"\n</root>\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    UniqueFile file(CreateFileW(HistoryMap::historyFilePath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD done = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
           done == bytes.size();
}

// Moves a file aside for the run and back afterwards.
class KeptFile {
public:
    explicit KeptFile(std::wstring path) : path_(std::move(path)), aside_(path_ + L".searchbench") {
        kept_ = MoveFileExW(path_.c_str(), aside_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;
    ~KeptFile() {
        DeleteFileW(path_.c_str());
        if (kept_) MoveFileExW(aside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

private:
    std::wstring path_, aside_;
    bool kept_ = false;
};

// Runs this program with arguments and reads the "figure value" lines it prints.
bool runChild(const std::wstring& arguments, std::map<std::string, double>& figures) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    UniqueKernelHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{sizeof(startup)};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return false;
    UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    writer.reset();
    std::string output;
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0) output.append(buffer, read);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    size_t at = 0;
    while (at < output.size()) {
        const size_t end = std::min(output.find('\n', at), output.size());
        const std::string line = output.substr(at, end - at);
        const size_t blank = line.find(' ');
        if (blank != std::string::npos) figures[line.substr(0, blank)] = std::atof(line.c_str() + blank + 1);
        at = end + 1;
    }
    return exitCode == 0;
}

struct Figure {
    const char* key;
    const char* caption;
};

const Figure Figures[] = {
    {"keystroke-median", "keystroke median, ms"},
    {"keystroke-worst", "keystroke worst, ms"},
    {"fill", "whole-index fill (Escape), ms"},
    {"keystroke-processor", "keystroke mean, processor ms"},
    {"fill-processor", "whole-index fill, processor ms"},
    {"file-start-large", "start from the large index file, ms"},
    {"file-start", "start from the index file of 2,000, ms"},
    {"rescan-start", "start with a rescan of 2,000, ms"},
    {"ratio", "rescan start / file start"},
    {"file-start-processor", "start from the file, processor ms"},
    {"rescan-start-processor", "start with the rescan, processor ms"},
    {"processor-ratio", "rescan / file start, processor"},
};

void printTable(const std::vector<std::wstring>& builds, const std::vector<std::vector<std::map<std::string, double>>>& runs) {
    for (size_t build = 0; build < builds.size(); ++build) std::printf("build %c: %ls\n", 'A' + static_cast<int>(build), builds[build].c_str());
    std::printf("%-40s", "median of the runs (each run)");
    for (size_t build = 0; build < builds.size(); ++build) std::printf("  %-34c", 'A' + static_cast<int>(build));
    std::printf("\n");
    for (const Figure& figure : Figures) {
        std::printf("%-40s", figure.caption);
        for (size_t build = 0; build < builds.size(); ++build) {
            std::vector<double> values;
            for (const auto& run : runs[build])
                if (auto found = run.find(figure.key); found != run.end()) values.push_back(found->second);
            std::string each;
            for (double value : values) {
                char text[32];
                std::snprintf(text, sizeof(text), each.empty() ? "%.1f" : ", %.1f", value);
                each += text;
            }
            char cell[128];
            std::snprintf(cell, sizeof(cell), "%.1f (%s)", median(values), each.c_str());
            std::printf("  %-34s", cell);
        }
        std::printf("\n");
    }
}

}  // namespace

std::vector<std::wstring> commandArguments() {
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(list[i]);
    LocalFree(list);
    return arguments;
}

int runHostedChild(const std::vector<std::wstring>& arguments) {
    if (arguments.size() != 3) return 2;
    ComInitialization com;
    if (arguments[1] == L"typing") return runTypingChild(arguments[2]);
    if (arguments[1] == L"rescan-start" || arguments[1] == L"file-start")
        return runStartChild(arguments[2], arguments[1] == L"rescan-start");
    return 2;
}

int runHostedComparison(const std::vector<std::wstring>& arguments) {
    int runs = 3;
    int entries = 10000;
    std::vector<std::wstring> builds;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == L"--runs" && i + 1 < arguments.size()) runs = std::max(1, _wtoi(arguments[++i].c_str()));
        else if (arguments[i] == L"--entries" && i + 1 < arguments.size()) entries = std::max(1, _wtoi(arguments[++i].c_str()));
        else builds.push_back(arguments[i]);
    }
    if (builds.empty() || builds.size() > 2) {
        std::fprintf(stderr, "usage: searchbench --compare [--runs N] [--entries N] first\\kestbar.dll [second\\kestbar.dll]\n");
        return 2;
    }
    ComInitialization com;
    const std::wstring icons = tempFolder(L"KestSearchBenchIcons");
    const std::wstring emptyMenu = tempFolder(L"KestSearchBenchMenu");
    const std::wstring menu = tempFolder(L"KestSearchBenchStartMenu");
    const std::wstring largeIndex = tempFolder(L"KestSearchBenchIndex.xml");
    CreateDirectoryW(icons.c_str(), nullptr);
    CreateDirectoryW(emptyMenu.c_str(), nullptr);
    for (int i = 0; i < IconFiles; ++i)
        kesttest::writeSolidIconFile(iconFile(icons, i), RGB(i % 256, (i * 7) % 256, (i / 2) % 256));
    removeTree(menu);
    if (!buildMenu(menu)) {
        std::fprintf(stderr, "could not create the shortcuts\n");
        return 1;
    }
    const ShortcutIndex index = makeIndex(entries, makeVocabulary(), icons);
    if (!saveIndex(index, largeIndex)) return 1;

    const std::wstring bandFolder = indexFilePath().substr(0, indexFilePath().rfind(L'\\'));
    SHCreateDirectoryExW(nullptr, bandFolder.c_str(), nullptr);
    KeptFile keptIndex(indexFilePath()), keptHistory(HistoryMap::historyFilePath());
    if (!writeHistoryFile(index, 1000)) return 1;
    SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath);
    // The booleans create the key; the mode is written only into an existing key.
    writeForceUpdateOnStartup(false);
    writeAutoSelectMode(AutoSelectMode::MostFrequentlyUsed);
    std::printf("%d entries, history of 1000 launches, autoSelectionMode 1 (MFU), %d runs alternating\n", entries, runs);

    std::vector<std::vector<std::map<std::string, double>>> results(builds.size());
    for (int run = 0; run < runs; ++run) {
        for (size_t build = 0; build < builds.size(); ++build) {
            std::map<std::string, double> figures;
            const std::wstring dll = L"\"" + builds[build] + L"\"";
            // Typing over the large index; no rescan may replace it meanwhile.
            WriteStringListKey(ScanPathsKeyPath, {emptyMenu});
            writeWatchScanLocations(false);
            CopyFileW(largeIndex.c_str(), indexFilePath().c_str(), FALSE);
            bool done = runChild(L"--hosted typing " + dll, figures);
            // The start over a real Start Menu, with the settings' defaults for following it.
            WriteStringListKey(ScanPathsKeyPath, {menu});
            writeWatchScanLocations(true);
            done = done && runChild(L"--hosted rescan-start " + dll, figures);
            done = done && runChild(L"--hosted file-start " + dll, figures);
            if (figures.count("file-start") && figures["file-start"] > 0)
                figures["ratio"] = figures["rescan-start"] / figures["file-start"];
            if (figures.count("file-start-processor") && figures["file-start-processor"] > 0)
                figures["processor-ratio"] = figures["rescan-start-processor"] / figures["file-start-processor"];
            if (!done) std::fprintf(stderr, "run %d of build %c failed\n", run + 1, 'A' + static_cast<int>(build));
            results[build].push_back(std::move(figures));
        }
    }
    printTable(builds, results);

    SHDeleteKeyW(HKEY_CURRENT_USER, SettingsKeyPath);
    DeleteFileW(largeIndex.c_str());
    removeTree(menu);
    removeTree(icons);
    RemoveDirectoryW(emptyMenu.c_str());
    return 0;
}
