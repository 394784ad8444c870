#pragma once
// The settings program: shows the settings sheet modally and ends when it closes.
#include <windows.h>

class CKestconfApp {
public:
    explicit CKestconfApp(HINSTANCE instance) noexcept : instance_(instance) {}
    // Initialises the common controls, runs the sheet; the process's exit code.
    int run();

private:
    HINSTANCE instance_;
};
