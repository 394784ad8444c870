#pragma once
// Starting what the user chose through the shell.
#include <windows.h>
#include <string>

namespace kest {

// Runs file through the shell with verb (null: the default verb); true when the shell
// reports success (more than 32). A file name of MAX_PATH or more, or an overlong command
// line, is refused before the shell sees it.
bool shellRun(const std::wstring& file, const wchar_t* parameters, const wchar_t* directory, int showCommand,
              const wchar_t* verb = nullptr);

// Opens a file of the band module's folder (the settings program, the help) through the shell.
void openBesideModule(const wchar_t* fileName);

// Keeps the wait cursor up for its lifetime.
class WaitCursor {
public:
    WaitCursor() noexcept : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { SetCursor(previous_); }

private:
    HCURSOR previous_;
};

}  // namespace kest
