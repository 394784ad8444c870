#pragma once
// Builds of the band compared side by side in one run: each build's kestbar.dll is loaded
// from its file in a process of its own, hosted as a taskbar hosts it, and typed into
// through its real search box. Runs of the builds alternate, so that a machine shared with
// other work loads them alike.
#include <string>
#include <vector>

// The program's arguments, without its name.
std::vector<std::wstring> commandArguments();

// "searchbench --compare [--runs N] [--entries N] first.dll [second.dll]": prints per build
// the keystroke median and worst, the whole-index fill after the text is emptied, the start
// from the index file and the start with a rescan of 2,000 shortcuts, each run and the
// median of the runs. Returns the process's exit code.
int runHostedComparison(const std::vector<std::wstring>& arguments);

// What one child process measures: "--hosted typing|rescan-start|file-start dll". Prints
// "figure value" lines on stdout.
int runHostedChild(const std::vector<std::wstring>& arguments);
