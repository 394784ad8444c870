#include "RobustnessSupport.h"
#include "UniqueHandle.h"
#include <psapi.h>
#include <algorithm>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace robust {

namespace {

constexpr const wchar_t* ChildVariable = L"KEST_ROBUSTNESS_CHILD";
constexpr const wchar_t* StartVariable = L"KEST_ROBUSTNESS_START";

std::wstring environmentValue(const wchar_t* name) {
    wchar_t value[256] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 256);
    return length > 0 && length < 256 ? std::wstring(value, length) : std::wstring();
}

std::uint64_t fnv1a(const char* text) {
    std::uint64_t hash = 1469598103934665603ull;
    for (; *text; ++text) hash = (hash ^ static_cast<unsigned char>(*text)) * 1099511628211ull;
    return hash;
}

// The page the parent created for this child, mapped once.
Progress* mappedProgress() {
    static Progress* progress = [] {
        const std::wstring name = environmentValue(ChildVariable);
        if (name.empty()) return static_cast<Progress*>(nullptr);
        HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
        if (!mapping) return static_cast<Progress*>(nullptr);
        // Kept mapped for the life of the process; the handle may go.
        void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Progress));
        CloseHandle(mapping);
        return static_cast<Progress*>(view);
    }();
    return progress;
}

std::wstring ownPath() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path;
}

}  // namespace

int scale() {
    const std::wstring text = environmentValue(L"KEST_ROBUSTNESS_SCALE");
    const int value = text.empty() ? 1 : _wtoi(text.c_str());
    return value < 1 ? 1 : value;
}

std::uint64_t seed() {
    const std::wstring text = environmentValue(L"KEST_ROBUSTNESS_SEED");
    return text.empty() ? 20261209ull : _wcstoui64(text.c_str(), nullptr, 10);
}

std::mt19937_64 inputGenerator(const char* surface, std::uint64_t index) {
    std::seed_seq sequence{static_cast<std::uint32_t>(seed()), static_cast<std::uint32_t>(seed() >> 32),
                           static_cast<std::uint32_t>(fnv1a(surface)), static_cast<std::uint32_t>(index),
                           static_cast<std::uint32_t>(index >> 32)};
    return std::mt19937_64(sequence);
}

std::string randomBytes(std::mt19937_64& random, size_t size) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(pick(random, 0, 255));
    return bytes;
}

std::wstring randomText(std::mt19937_64& random, size_t length) {
    static const wchar_t ascii[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 _-.,;:!?()[]{}#%+=~@\\/'\"";
    static const wchar_t markup[] = L"<>&;\"'";
    std::wstring text;
    text.reserve(length + 1);
    while (text.size() < length) {
        switch (pick(random, 0, 9)) {
        case 0: text += markup[pick(random, 0, 5)]; break;
        case 1: text += static_cast<wchar_t>(pick(random, 0xC0, 0x24F)); break;  // Latin letters
        case 2: text += static_cast<wchar_t>(pick(random, 0x4E00, 0x9FFF)); break;  // CJK
        case 3:
            if (text.size() + 2 <= length) {  // a pair outside the basic plane
                text += static_cast<wchar_t>(pick(random, 0xD800, 0xDBFF));
                text += static_cast<wchar_t>(pick(random, 0xDC00, 0xDFFF));
            }
            break;
        default: text += ascii[pick(random, 0, sizeof(ascii) / sizeof(ascii[0]) - 2)]; break;
        }
    }
    return text;
}

bool inChild() { return mappedProgress() != nullptr; }
Progress* childProgress() { return mappedProgress(); }

std::uint64_t childStartInput() {
    const std::wstring text = environmentValue(StartVariable);
    return text.empty() ? 0 : _wcstoui64(text.c_str(), nullptr, 10);
}

void heartbeat() {
    if (Progress* progress = childProgress()) InterlockedIncrement(&progress->heartbeat);
}

void reportWrong(const std::string& what) {
    if (Progress* progress = childProgress()) InterlockedIncrement(&progress->wrong);
    ADD_FAILURE() << what;
}

void runInputs(std::uint64_t total, const std::function<int(std::uint64_t)>& attack) {
    Progress* progress = childProgress();
    ASSERT_NE(progress, nullptr);
    const bool verbose = !environmentValue(L"KEST_ROBUSTNESS_VERBOSE").empty();
    for (std::uint64_t index = childStartInput(); index < total; ++index) {
        InterlockedExchange(&progress->current, static_cast<LONG>(index));
        const ULONGLONG started = GetTickCount64();
        const int lost = attack(index);
        // With KEST_ROBUSTNESS_VERBOSE set, the slow inputs are named (a diagnostic only).
        if (verbose && GetTickCount64() - started > 1000)
            printf("[robustness] input %llu took %.1f s\n", static_cast<unsigned long long>(index),
                   (GetTickCount64() - started) / 1000.0);
        if (lost > 0) {
            InterlockedExchangeAdd(&progress->lost, lost);
            ADD_FAILURE() << "input " << index << " lost " << lost << " valid records";
        }
        InterlockedIncrement(&progress->tried);
    }
    InterlockedExchange(&progress->finished, 1);
}

Figures runSurface(const std::string& name, std::uint64_t total, DWORD stuckSeconds) {
    Figures figures;
    figures.surface = name;
    static LONG counter = 0;
    // KEST_ROBUSTNESS_FIRST starts at a later input, to repeat one that failed.
    const std::wstring first = environmentValue(L"KEST_ROBUSTNESS_FIRST");
    std::uint64_t start = first.empty() ? 0 : _wcstoui64(first.c_str(), nullptr, 10);
    while (start < total) {
        const std::wstring mappingName = L"Local\\kest-robustness-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                         std::to_wstring(InterlockedIncrement(&counter));
        kest::UniqueKernelHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                            sizeof(Progress), mappingName.c_str()));
        if (!mapping) {
            ADD_FAILURE() << "cannot create the progress page";
            break;
        }
        auto* progress = static_cast<Progress*>(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Progress)));
        if (!progress) {
            ADD_FAILURE() << "cannot map the progress page";
            break;
        }
        ZeroMemory(const_cast<Progress*>(progress), sizeof(Progress));
        progress->current = static_cast<LONG>(start);

        std::wstring commandLine = L"\"" + ownPath() + L"\" --gtest_color=no --gtest_filter=*Attack." +
                                   std::wstring(name.begin(), name.end());
        SetEnvironmentVariableW(ChildVariable, mappingName.c_str());
        SetEnvironmentVariableW(StartVariable, std::to_wstring(start).c_str());
        STARTUPINFOW startup{sizeof(startup)};
        PROCESS_INFORMATION child{};
        fflush(stdout);
        const BOOL created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                            &startup, &child);
        SetEnvironmentVariableW(ChildVariable, nullptr);
        SetEnvironmentVariableW(StartVariable, nullptr);
        if (!created) {
            ADD_FAILURE() << "cannot start the attack child: " << GetLastError();
            UnmapViewOfFile(progress);
            break;
        }
        kest::UniqueKernelHandle process(child.hProcess);
        kest::UniqueKernelHandle thread(child.hThread);

        LONG seenCurrent = progress->current, seenTried = 0, seenBeat = 0;
        ULONGLONG lastChange = GetTickCount64();
        bool hung = false;
        while (WaitForSingleObject(process.get(), 1000) == WAIT_TIMEOUT) {
            const LONG current = progress->current, tried = progress->tried, beat = progress->heartbeat;
            if (current != seenCurrent || tried != seenTried || beat != seenBeat) {
                seenCurrent = current;
                seenTried = tried;
                seenBeat = beat;
                lastChange = GetTickCount64();
            } else if (GetTickCount64() - lastChange > stuckSeconds * 1000ull) {
                TerminateProcess(process.get(), 0xDEAD);
                WaitForSingleObject(process.get(), INFINITE);
                hung = true;
                break;
            }
        }
        DWORD exitCode = 0;
        GetExitCodeProcess(process.get(), &exitCode);
        figures.lost += progress->lost;
        figures.wrong += progress->wrong;
        figures.inputs += static_cast<std::uint64_t>(progress->tried);
        const LONG current = progress->current;
        const bool finished = progress->finished != 0;
        const bool reportedWrong = progress->wrong != 0 || progress->lost != 0;
        UnmapViewOfFile(progress);

        char note[160];
        if (hung) {
            ++figures.hangs;
            ++figures.inputs;
            snprintf(note, sizeof(note), "input %ld hung", current);
            figures.notes.push_back(note);
            start = static_cast<std::uint64_t>(current) + 1;
        } else if (finished) {
            if (exitCode != 0 && !reportedWrong) {
                ++figures.wrong;
                snprintf(note, sizeof(note), "the attack failed a check (exit code %lu)", exitCode);
                figures.notes.push_back(note);
            }
            break;
        } else if (exitCode == 1) {
            // A failed assertion ended the attack early (its set-up, most likely): not a
            // crash, and running it again would fail the same way.
            ++figures.wrong;
            snprintf(note, sizeof(note), "the attack stopped at input %ld on a failed check", current);
            figures.notes.push_back(note);
            break;
        } else {
            ++figures.crashes;
            ++figures.inputs;
            snprintf(note, sizeof(note), "input %ld crashed the child (exit code 0x%08lx)", current, exitCode);
            figures.notes.push_back(note);
            start = static_cast<std::uint64_t>(current) + 1;
        }
    }
    printFigures(figures);
    return figures;
}

void recordLine(const std::string& line) {
    printf("%s\n", line.c_str());
    fflush(stdout);
    if (FILE* file = _wfopen(L"robustness-figures.txt", L"a")) {
        fprintf(file, "%s\n", line.c_str());
        fclose(file);
    }
}

void printFigures(const Figures& figures) {
    char line[400];
    snprintf(line, sizeof(line),
             "[figures] %-9s %s seed %llu scale %d: %llu inputs tried, %d crashes, %d hangs, %ld lost records, "
             "%ld wrong endings",
             figures.surface.c_str(), sizeof(void*) == 8 ? "x64" : "x86", static_cast<unsigned long long>(seed()),
             scale(), static_cast<unsigned long long>(figures.inputs), figures.crashes, figures.hangs, figures.lost,
             figures.wrong);
    recordLine(line);
    for (const std::string& note : figures.notes) recordLine("[figures]   " + figures.surface + ": " + note);
}

namespace {

// SystemHandleInformation of NtQuerySystemInformation: every open handle of the system.
struct SystemHandleEntry {
    ULONG ownerProcessId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandles {
    ULONG count;
    SystemHandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// GetProcessHandleCount, or, where it counts nothing (Wine), the handles of this process
// in the system's handle list.
DWORD handleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    constexpr ULONG SystemHandleInformation = 16;
    constexpr LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<BYTE> buffer(1 << 16);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == InfoLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) return 0;
        const auto* handles = reinterpret_cast<const SystemHandles*>(buffer.data());
        const DWORD self = GetCurrentProcessId();
        count = 0;
        for (ULONG i = 0; i < handles->count; ++i)
            if (handles->entries[i].ownerProcessId == self) ++count;
        return count;
    }
    return 0;
}

// GetGuiResources(GR_GDIOBJECTS), or, where it counts nothing (Wine), the live objects
// of this process's GDI handle table, which takes a handle by its table index alone.
DWORD gdiObjectCount() {
    const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count > 0) return count;
    DWORD live = 0;
    for (ULONG_PTR index = 0x20; index < 0x10020; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

BOOL CALLBACK countChildWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<DWORD*>(counter);
    return TRUE;
}

BOOL CALLBACK countOwnWindow(HWND window, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<DWORD*>(counter);
    EnumChildWindows(window, countChildWindow, counter);
    return TRUE;
}

// GetGuiResources(GR_USEROBJECTS), or, where it counts nothing (Wine), the windows of this
// process: top-level, message-only and their children.
DWORD userObjectCount() {
    const DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (count > 0) return count;
    DWORD windows = 0;
    EnumWindows(countOwnWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        countOwnWindow(window, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The committed private memory of this process, walked region by region where the
// memory counters leave it at zero (Wine).
SIZE_T privateCommittedBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const BYTE* address = nullptr;
         VirtualQuery(address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

}  // namespace

ResourceCounts resourceCounts() {
    ResourceCounts counts;
    counts.handles = handleCount();
    counts.gdiObjects = gdiObjectCount();
    counts.userObjects = userObjectCount();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory))) {
        counts.privateBytes = memory.PrivateUsage;
        counts.workingSet = memory.WorkingSetSize;
    }
    if (counts.privateBytes == 0) counts.privateBytes = privateCommittedBytes();
    return counts;
}

std::string describe(const ResourceCounts& counts) {
    char text[200];
    snprintf(text, sizeof(text), "%lu handles, %lu GDI objects, %lu USER objects, %.1f MB private, %.1f MB working set",
             counts.handles, counts.gdiObjects, counts.userObjects, counts.privateBytes / 1048576.0,
             counts.workingSet / 1048576.0);
    return text;
}

std::string narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) result += c < 128 ? static_cast<char>(c) : '?';
    return result;
}

}  // namespace robust
