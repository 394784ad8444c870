#pragma once
// The system commands as entries: "Lock", "Sign Out", "Sleep", "Hibernate", "Restart",
// "Shut Down" and "Empty Recycle Bin", with paths "kestrune:lock" and so on, shown as
// "Lock (System)". Every call they make, the checks of what the machine offers included,
// goes through SystemCalls, which the tests replace with a recorder.
#include "ShortcutEntry.h"
#include <windows.h>
#include <memory>
#include <string>

namespace kest {

// The system's calls, each as the platform makes it.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;
    // GetPwrCapabilities; false when it fails.
    virtual bool getPwrCapabilities(SYSTEM_POWER_CAPABILITIES& capabilities) = 0;
    virtual bool lockWorkStation() = 0;
    virtual bool exitWindowsEx(UINT flags, DWORD reason) = 0;
    // SetSuspendState(hibernate, FALSE, FALSE): no force, wake events stay enabled.
    virtual bool setSuspendState(bool hibernate) = 0;
    // SHEmptyRecycleBinW(owner, null, 0): every drive's bin, with the shell's confirmation.
    virtual HRESULT shEmptyRecycleBin(HWND owner) = 0;
    // Enables or disables the shutdown privilege of the process token (the host's own:
    // Explorer's in the taskbar); wasEnabled receives its state before. False when it
    // could not be set.
    virtual bool adjustShutdownPrivilege(bool enable, bool& wasEnabled) = 0;
};

// The calls in use: the system's, unless another was put in their place.
std::shared_ptr<SystemCalls> currentSystemCalls();
void replaceSystemCalls(std::shared_ptr<SystemCalls> calls);

enum class SystemCommand { Lock, SignOut, Sleep, Hibernate, Restart, ShutDown, EmptyRecycleBin };

// The command of a "kestrune:" path; false for any other path.
bool systemCommandOf(const std::wstring& path, SystemCommand& command);
// The Yes/No question asked before the command ("Shut down the computer now?"); null for
// the commands that do not ask.
const wchar_t* systemCommandQuestion(SystemCommand command);

// The commands the machine offers: Sleep only where the power capabilities report S1 to
// S3, Hibernate only where they report hibernation.
ShortcutIndex systemCommandEntries(SystemCalls& calls);

// Makes the command's calls; true when the system accepted them. Restart and Shut Down
// enable the shutdown privilege and put it back as it was.
bool runSystemCommand(SystemCommand command, SystemCalls& calls, HWND owner);

}  // namespace kest
