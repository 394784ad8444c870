#include "SystemCommands.h"
#include "EntryForms.h"
#include "UniqueHandle.h"
#include "search/TextRules.h"
#include <powrprof.h>
#include <shellapi.h>
#include <mutex>

namespace kest {

namespace {

struct CommandInfo {
    SystemCommand command;
    const wchar_t* name;
    const wchar_t* path;
    const wchar_t* question;
    SHSTOCKICONID stockIcon;  // SIID_INVALID: shell32.dll's icon shell32Icon
    int shell32Icon;          // a resource id
};

// shell32.dll's icons: 26 the sleep (stand-by) icon, 28 the shut-down icon, 45 the
// log-off icon. It has none for restarting or hibernating.
const CommandInfo Commands[] = {
    {SystemCommand::Lock, L"Lock", L"kestrune:lock", nullptr, SIID_LOCK, 0},
    {SystemCommand::SignOut, L"Sign Out", L"kestrune:signout", L"Sign out now?", SIID_INVALID, 45},
    {SystemCommand::Sleep, L"Sleep", L"kestrune:sleep", L"Put the computer to sleep now?", SIID_INVALID, 26},
    {SystemCommand::Hibernate, L"Hibernate", L"kestrune:hibernate", L"Hibernate the computer now?", SIID_INVALID, 26},
    {SystemCommand::Restart, L"Restart", L"kestrune:restart", L"Restart the computer now?", SIID_INVALID, 28},
    {SystemCommand::ShutDown, L"Shut Down", L"kestrune:shutdown", L"Shut down the computer now?", SIID_INVALID, 28},
    {SystemCommand::EmptyRecycleBin, L"Empty Recycle Bin", L"kestrune:emptyrecyclebin", nullptr, SIID_RECYCLER, 0},
};

const CommandInfo* infoOf(SystemCommand command) {
    for (const CommandInfo& info : Commands)
        if (info.command == command) return &info;
    return nullptr;
}

class PlatformSystemCalls : public SystemCalls {
public:
    bool getPwrCapabilities(SYSTEM_POWER_CAPABILITIES& capabilities) override {
        return GetPwrCapabilities(&capabilities) != FALSE;
    }
    bool lockWorkStation() override { return LockWorkStation() != FALSE; }
    bool exitWindowsEx(UINT flags, DWORD reason) override { return ExitWindowsEx(flags, reason) != FALSE; }
    bool setSuspendState(bool hibernate) override { return SetSuspendState(hibernate, FALSE, FALSE) != FALSE; }
    HRESULT shEmptyRecycleBin(HWND owner) override { return SHEmptyRecycleBinW(owner, nullptr, 0); }
    bool adjustShutdownPrivilege(bool enable, bool& wasEnabled) override {
        HANDLE rawToken = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) return false;
        const UniqueKernelHandle token(rawToken);
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return false;
        privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        TOKEN_PRIVILEGES before{};
        DWORD length = 0;
        // Succeeds without setting anything when the token lacks the privilege.
        if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(before), &before, &length) ||
            GetLastError() != ERROR_SUCCESS)
            return false;
        // An unchanged privilege is not reported among the previous states.
        wasEnabled = before.PrivilegeCount == 0 ? enable : (before.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED) != 0;
        return true;
    }
};

std::mutex systemCallsLock;
std::shared_ptr<SystemCalls>& systemCallsInUse() {
    static std::shared_ptr<SystemCalls> calls = std::make_shared<PlatformSystemCalls>();
    return calls;
}

std::wstring shell32Path() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder) + L"\\shell32.dll" : std::wstring(L"shell32.dll");
}

// The shutdown reason of the Start menu's own commands: planned, "other".
constexpr DWORD PlannedOtherReason = SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED;

bool exitWithShutdownPrivilege(SystemCalls& calls, UINT flags) {
    bool wasEnabled = false;
    const bool adjusted = calls.adjustShutdownPrivilege(true, wasEnabled);
    const bool exited = calls.exitWindowsEx(flags, PlannedOtherReason);
    bool enabled = false;
    if (adjusted && !wasEnabled) calls.adjustShutdownPrivilege(false, enabled);
    return exited;
}

}  // namespace

std::shared_ptr<SystemCalls> currentSystemCalls() {
    std::lock_guard<std::mutex> lock(systemCallsLock);
    return systemCallsInUse();
}

void replaceSystemCalls(std::shared_ptr<SystemCalls> calls) {
    std::lock_guard<std::mutex> lock(systemCallsLock);
    systemCallsInUse() = calls ? std::move(calls) : std::make_shared<PlatformSystemCalls>();
}

bool systemCommandOf(const std::wstring& path, SystemCommand& command) {
    if (entryFormOf(path) != EntryForm::SystemCommand) return false;
    for (const CommandInfo& info : Commands) {
        if (!equalsIgnoreAsciiCase(path, info.path)) continue;
        command = info.command;
        return true;
    }
    return false;
}

const wchar_t* systemCommandQuestion(SystemCommand command) {
    const CommandInfo* info = infoOf(command);
    return info ? info->question : nullptr;
}

ShortcutIndex systemCommandEntries(SystemCalls& calls) {
    SYSTEM_POWER_CAPABILITIES power{};
    const bool knowsPower = calls.getPwrCapabilities(power);
    const bool canSleep = knowsPower && (power.SystemS1 || power.SystemS2 || power.SystemS3);
    const bool canHibernate = knowsPower && power.SystemS4 && power.HiberFilePresent;
    const std::wstring shell32 = shell32Path();
    ShortcutIndex commands;
    for (const CommandInfo& info : Commands) {
        if ((info.command == SystemCommand::Sleep && !canSleep) ||
            (info.command == SystemCommand::Hibernate && !canHibernate))
            continue;
        std::wstring iconFile = shell32;
        int iconIndex = -info.shell32Icon;
        if (info.stockIcon != SIID_INVALID) {
            SHSTOCKICONINFO stock{};
            stock.cbSize = sizeof(stock);
            if (SUCCEEDED(SHGetStockIconInfo(info.stockIcon, SHGSI_ICONLOCATION, &stock))) {
                iconFile = stock.szPath;
                iconIndex = stock.iIcon;
            } else {
                iconFile.clear();
            }
        }
        commands[info.path] = listedEntry(info.name, info.path, iconFile, iconIndex);
    }
    return commands;
}

bool runSystemCommand(SystemCommand command, SystemCalls& calls, HWND owner) {
    switch (command) {
    case SystemCommand::Lock: return calls.lockWorkStation();
    case SystemCommand::SignOut: return calls.exitWindowsEx(EWX_LOGOFF, 0);
    case SystemCommand::Sleep: return calls.setSuspendState(false);
    case SystemCommand::Hibernate: return calls.setSuspendState(true);
    case SystemCommand::Restart: return exitWithShutdownPrivilege(calls, EWX_REBOOT);
    // With hybrid shutdown, as the Start menu shuts down: the next start resumes the kernel.
    case SystemCommand::ShutDown: return exitWithShutdownPrivilege(calls, EWX_SHUTDOWN | EWX_HYBRID_SHUTDOWN);
    case SystemCommand::EmptyRecycleBin: return SUCCEEDED(calls.shEmptyRecycleBin(owner));
    }
    return false;
}

}  // namespace kest
