#pragma once
// The robustness suite's machinery: its depth and seed, a generator per input, the figures
// it prints, and the child process that runs one surface's attack so that a crash or a hang
// ends the child, not the suite.
//
// Every surface has two tests. "Robustness.<Surface>" (the parent) starts this executable
// again with the filter "*Attack.<Surface>" and watches it; the attack runs its inputs from
// the one the parent names and reports its progress through a shared page. A child that
// dies or stops advancing is counted as a crash or a hang at the input it was on, and a new
// child resumes at the next input.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace robust {

// KEST_ROBUSTNESS_SCALE: 1 (the default) is the bounded run of the test command; larger
// values multiply the inputs of every surface for a deeper run.
int scale();
// KEST_ROBUSTNESS_SEED, or a fixed default so that a failing run can be repeated.
std::uint64_t seed();

// The generator of input number index of a surface: the same seed and index always give
// the same input, so a resumed child repeats nothing and skips nothing.
std::mt19937_64 inputGenerator(const char* surface, std::uint64_t index);

// A number in [low, high].
inline std::uint64_t pick(std::mt19937_64& random, std::uint64_t low, std::uint64_t high) {
    return std::uniform_int_distribution<std::uint64_t>(low, high)(random);
}
inline bool chance(std::mt19937_64& random, int percent) { return pick(random, 0, 99) < static_cast<unsigned>(percent); }
std::string randomBytes(std::mt19937_64& random, size_t size);
// Random UTF-16 text of the given length: ASCII, markup characters, blanks, non-ASCII
// letters, characters outside the basic plane (as surrogate pairs) and CJK.
std::wstring randomText(std::mt19937_64& random, size_t length);

// What the child reports to its parent. Lives in a page both processes map.
struct Progress {
    volatile LONG current;   // the input being worked on
    volatile LONG tried;     // inputs finished
    volatile LONG lost;      // valid records that an input made disappear
    volatile LONG wrong;     // operations that did not end as their failure rule says
    volatile LONG finished;  // the child reached the end of its inputs
    volatile LONG heartbeat; // raised during long inputs, so that slow is not taken for stuck
};

// In the child: the shared page, or null when this process is not a surface's child.
Progress* childProgress();
// The first input the child works on.
std::uint64_t childStartInput();
// True in the child process of a surface; the attack tests skip themselves otherwise.
bool inChild();

// Runs the inputs [childStartInput(), total) of an attack in the child, one call per
// input, with the progress page kept current. attack returns the number of valid records
// the input lost; a wrong ending is reported with reportWrong and an EXPECT.
void runInputs(std::uint64_t total, const std::function<int(std::uint64_t index)>& attack);
void reportWrong(const std::string& what);
void heartbeat();

struct Figures {
    std::string surface;
    std::uint64_t inputs = 0;
    int crashes = 0;
    int hangs = 0;
    long lost = 0;
    long wrong = 0;
    std::vector<std::string> notes;
};

// The parent side: runs "Attack.<name>" in children until all total inputs were tried,
// counting crashes and hangs; stuckSeconds is how long an input may go without progress
// before it counts as a hang. Prints and records the figures.
Figures runSurface(const std::string& name, std::uint64_t total, DWORD stuckSeconds = 180);
void printFigures(const Figures& figures);
// Appends a line to the figures file beside the test program and prints it.
void recordLine(const std::string& line);

// Handles, GDI and USER objects, and memory of this process. Where the system counts
// nothing (Wine answers zero to all but the working set) they are counted here: handles
// in the system's handle list, objects in the process's GDI handle table, windows for
// USER objects, and committed private regions for private bytes.
struct ResourceCounts {
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    SIZE_T privateBytes = 0;
    SIZE_T workingSet = 0;
};
ResourceCounts resourceCounts();
std::string describe(const ResourceCounts& counts);

std::string narrow(const std::wstring& text);

}  // namespace robust
