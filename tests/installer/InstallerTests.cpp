// A setup program on a fresh 64-bit system (run-installer-tests.sh makes the Wine prefix and
// names the program, the 64-bit or the 32-bit one; both must install the same): a silent install puts the x64 deliverables, their registration, the user's data folder, the
// Start Menu shortcuts and the uninstall entry in place; a silent uninstall takes them away and
// leaves the user's settings and files, unless it is asked to remove them too. The 64-bit setup
// program also installs the x86 context-menu extension for 32-bit programs, registered in the
// 32-bit registry view; the 32-bit setup program does not.
//
// Objects are created in a child process of this program ("--create-object"), so that this
// process never holds an installed library that the uninstaller has to delete.
#include "ComPtr.h"
#include "UniqueHandle.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

using kest::ComPtr;
using kest::UniqueHKey;
using kest::UniqueKernelHandle;

constexpr wchar_t BandClassId[] = L"{1156C8BE-FA98-4DEC-BCD1-F83850487688}";
constexpr wchar_t HandlerClassId[] = L"{B65F196D-E650-466A-9B02-AB02B0DD2A87}";
constexpr wchar_t DeskBandCategory[] = L"{00021492-0000-0000-C000-000000000046}";
constexpr wchar_t ApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr wchar_t UninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrune";
constexpr wchar_t SettingsKey[] = L"Software\\Brindlewood\\Kestrune";
constexpr const wchar_t* ProgramFiles[] = {L"kestbar.dll",  L"kestshx.dll",  L"kestconf.exe",
                                           L"kestfloat.exe", L"kesthelp.chm", L"contributors.txt"};
// The x86 context-menu extension that the 64-bit setup program adds, in the program folder.
constexpr wchar_t X86HandlerFile[] = L"x86\\kestshx.dll";
constexpr const wchar_t* Shortcuts[][2] = {{L"Kestrune Settings.lnk", L"kestconf.exe"},
                                           {L"Kestrune Floating Bar.lnk", L"kestfloat.exe"},
                                           {L"Kestrune Help.lnk", L"kesthelp.chm"}};
// The per-user value that starts the floating bar with Windows.
constexpr const wchar_t* RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* RunValue = L"Kestrune Floating Bar";
// What a child process reports when the object came from another module than the expected one.
constexpr DWORD WrongModuleExitCode = 2;
// A guard against a hanging setup program, not a speed requirement.
constexpr DWORD RunLimitMilliseconds = 300000;

// A build path as Wine sees it: the Unix root is drive Z:.
std::wstring windowsPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

std::wstring folderPath(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
    return path;
}

bool fileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The whole content of a file; empty when it cannot be read.
std::vector<char> fileBytes(const std::wstring& path) {
    kest::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 28)) return {};
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return {};
    return bytes;
}

// The machine field of a PE file's header; 0 when it is not one.
WORD peMachine(const std::wstring& path) {
    const std::vector<char> bytes = fileBytes(path);
    if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return 0;
    DWORD offset = 0;
    memcpy(&offset, bytes.data() + 0x3C, sizeof(offset));
    if (offset + 6 > bytes.size() || memcmp(bytes.data() + offset, "PE\0\0", 4) != 0) return 0;
    WORD machine = 0;
    memcpy(&machine, bytes.data() + offset + 4, sizeof(machine));
    return machine;
}

bool keyExists(HKEY root, const std::wstring& path, REGSAM view = 0) {
    UniqueHKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

// A REG_SZ value (null name: the default value) in the given registry view (0: this program's);
// nothing when the key or value is missing.
std::optional<std::wstring> stringValue(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view = 0) {
    UniqueHKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return std::nullopt;
    wchar_t data[1024] = L"";
    DWORD type = 0, bytes = sizeof(data) - sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    return std::wstring(data, wcsnlen(data, bytes / sizeof(wchar_t)));
}

std::optional<DWORD> dwordValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    UniqueHKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD data = 0, type = 0, bytes = sizeof(data);
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return data;
}

bool sameText(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// Every value below a key, one line each ("subkey\\name=data", default values named "@"), with
// serverPath at the start of a value (compared without case) written as "<server>".
void collectValues(HKEY key, const std::wstring& prefix, const std::wstring& serverPath, std::vector<std::wstring>& lines) {
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = 256, type = 0;
        wchar_t data[1024] = L"";
        DWORD bytes = sizeof(data) - sizeof(wchar_t);
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) !=
            ERROR_SUCCESS)
            break;
        std::wstring text(data, wcsnlen(data, bytes / sizeof(wchar_t)));
        if (text.size() >= serverPath.size() && !serverPath.empty() &&
            sameText(text.substr(0, serverPath.size()), serverPath))
            text.replace(0, serverPath.size(), L"<server>");
        lines.push_back(prefix + (nameLength ? std::wstring(name) : L"@") + L"=" + text);
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        UniqueHKey child;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, child.put()) != ERROR_SUCCESS) continue;
        collectValues(child.get(), prefix + name + L"\\", serverPath, lines);
    }
}

std::vector<std::wstring> keyValues(HKEY root, const std::wstring& path, REGSAM view, const std::wstring& serverPath) {
    std::vector<std::wstring> lines;
    UniqueHKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return lines;
    collectValues(key.get(), L"", serverPath, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What the context-menu extension's DllRegisterServer writes (contextmenu/ShellExtModule.cpp),
// step by step, for the library at serverPath.
struct RegistryString {
    HKEY root;
    std::wstring key;
    const wchar_t* name;  // null: the default value
    std::wstring data;
};
std::vector<RegistryString> handlerRegistration(const std::wstring& serverPath) {
    const std::wstring classKey = std::wstring(L"CLSID\\") + HandlerClassId;
    return {{HKEY_CLASSES_ROOT, classKey, nullptr, L"KESTSHX"},
            {HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr, serverPath},
            {HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
            {HKEY_CLASSES_ROOT, classKey + L"\\DefaultIcon", nullptr, serverPath + L",0"},
            {HKEY_CLASSES_ROOT, std::wstring(L"*\\shellex\\ContextMenuHandlers\\") + HandlerClassId, nullptr, L"KESTSHX"},
            {HKEY_CLASSES_ROOT, std::wstring(L"Folder\\shellex\\ContextMenuHandlers\\") + HandlerClassId, nullptr,
             L"KESTSHX"},
            {HKEY_LOCAL_MACHINE, ApprovedKey, HandlerClassId, L"KESTSHX"}};
}

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void setString(const std::wstring& path, const wchar_t* name, const std::wstring& data) {
    UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                             key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))));
}

void setDword(const std::wstring& path, const wchar_t* name, DWORD data) {
    UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                             key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)));
}

// How a program and everything it started ended.
struct RunOutcome {
    bool started = false;
    bool ended = false;  // every process of the job ended within the limit
    DWORD exitCode = 0;  // of the program itself
    std::vector<DWORD> exitCodes;  // of every process that could be followed, the program first
    std::vector<std::wstring> programs;  // the program files of those processes, in the same order
};

// One line per followed process, for failure messages.
std::string describe(const RunOutcome& outcome) {
    std::string text;
    for (size_t i = 0; i < outcome.exitCodes.size(); ++i) {
        char code[16];
        snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(outcome.exitCodes[i]));
        const std::wstring& program = outcome.programs[i];
        text += std::string(code) + " " + std::string(program.begin(), program.end()) + "\n";
    }
    return text;
}

// Every followed process that ran a program ended with 0. Wine differs: a 32-bit program that
// starts a 64-bit one leaves a process that ran nothing and ended with STATUS_DLL_NOT_FOUND.
bool everyProgramSucceeded(const RunOutcome& outcome) {
    if (outcome.exitCodes.empty()) return false;
    for (size_t i = 0; i < outcome.exitCodes.size(); ++i) {
        if (outcome.programs[i].empty() && outcome.exitCodes[i] == static_cast<DWORD>(STATUS_DLL_NOT_FOUND)) continue;
        if (outcome.exitCodes[i] != 0) return false;
    }
    return true;
}

// How many followed processes ran the given program.
size_t runsOf(const RunOutcome& outcome, const std::wstring& program) {
    size_t runs = 0;
    for (const std::wstring& ran : outcome.programs) runs += lstrcmpiW(ran.c_str(), program.c_str()) == 0;
    return runs;
}

// The regsvr32 of the system's own bitness (this program is a 64-bit one).
std::wstring nativeRegsvr32() {
    wchar_t folder[MAX_PATH] = L"";
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\regsvr32.exe";
}

// Runs a command line in a job of its own and waits until the program and every process it
// started have ended: an uninstaller hands over to a copy of itself and returns at once.
RunOutcome runToCompletion(std::wstring commandLine) {
    RunOutcome outcome;
    UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    UniqueKernelHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!job || !port) return outcome;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{};
    association.CompletionKey = job.get();
    association.CompletionPort = port.get();
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.get(), JobObjectAssociateCompletionPortInformation, &association,
                                 sizeof(association)) ||
        !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits)))
        return outcome;

    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION created{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &created))
        return outcome;
    UniqueKernelHandle thread(created.hThread);
    std::vector<UniqueKernelHandle> processes;
    std::vector<DWORD> processIds{created.dwProcessId};
    processes.emplace_back(created.hProcess);
    if (!AssignProcessToJobObject(job.get(), created.hProcess)) {
        TerminateProcess(created.hProcess, 1);
        return outcome;
    }
    ResumeThread(thread.get());
    outcome.started = true;

    const DWORD deadline = GetTickCount() + RunLimitMilliseconds;
    for (;;) {
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(deadline - now) <= 0) break;
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED detail = nullptr;
        if (!GetQueuedCompletionStatus(port.get(), &message, &key, &detail, deadline - now)) break;
        if (key != reinterpret_cast<ULONG_PTR>(job.get())) continue;
        if (message == JOB_OBJECT_MSG_NEW_PROCESS) {
            const DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(detail));
            bool known = false;
            for (DWORD seen : processIds) known = known || seen == id;
            if (known) continue;
            // A process that has already ended cannot be followed any more; the job still counts it.
            if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) {
                processIds.push_back(id);
                processes.emplace_back(process);
            }
        } else if (message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) {
            outcome.ended = true;
            break;
        }
    }
    if (!outcome.ended) {
        TerminateJobObject(job.get(), 1);
        return outcome;
    }
    for (const UniqueKernelHandle& process : processes) {
        WaitForSingleObject(process.get(), RunLimitMilliseconds);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.get(), &code);
        outcome.exitCodes.push_back(code);
        wchar_t program[MAX_PATH] = L"";
        DWORD length = MAX_PATH;
        if (!QueryFullProcessImageNameW(process.get(), 0, program, &length)) program[0] = L'\0';
        outcome.programs.push_back(program);
    }
    outcome.exitCode = outcome.exitCodes.front();
    return outcome;
}

// The setup program under test and its architecture, from run-installer-tests.sh.
std::string environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
std::wstring setupProgram() { return windowsPath(environmentText("KEST_SETUP_PROGRAM").c_str()); }
bool setupIs64Bit() { return environmentText("KEST_SETUP_ARCH") == "x64"; }
// The x64 files as the setup program packs them.
std::wstring packedFile(const wchar_t* name) { return windowsPath(KEST_SETUP_FILES_DIR) + L"\\x64\\" + name; }
std::wstring packedX86File(const wchar_t* name) { return windowsPath(KEST_SETUP_FILES_DIR) + L"\\x86\\" + name; }
std::wstring defaultInstallFolder() { return folderPath(CSIDL_PROGRAM_FILES) + L"\\Kestrune"; }
std::wstring userDataFolder() { return folderPath(CSIDL_APPDATA) + L"\\Brindlewood\\Kestrune"; }
std::wstring shortcutFolder() { return folderPath(CSIDL_COMMON_PROGRAMS) + L"\\Kestrune"; }

RunOutcome install(const std::wstring& folder = std::wstring(), const wchar_t* options = L"") {
    std::wstring command = L"\"" + setupProgram() + L"\" /S";
    if (*options) command += std::wstring(L" ") + options;
    // /D= comes last and is not quoted, even with blanks in it.
    if (!folder.empty()) command += L" /D=" + folder;
    return runToCompletion(command);
}

RunOutcome uninstall(const std::wstring& folder, const wchar_t* options = L"") {
    std::wstring command = L"\"" + folder + L"\\uninstall.exe\" /S";
    if (*options) command += std::wstring(L" ") + options;
    return runToCompletion(command);
}

// Creates the class in a child process; its exit code: 0 when the object was created from the
// expected library, WrongModuleExitCode when from another one, else the creation's HRESULT.
DWORD createInChildProcess(const wchar_t* classId, const wchar_t* interfaceName, const std::wstring& library) {
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const RunOutcome outcome = runToCompletion(L"\"" + std::wstring(self) + L"\" --create-object " + classId + L" " +
                                               interfaceName + L" \"" + library + L"\"");
    return outcome.ended ? outcome.exitCode : static_cast<DWORD>(E_FAIL);
}

// The child side of createInChildProcess.
int createObject(const wchar_t* classIdText, const wchar_t* interfaceName, const wchar_t* library) {
    CLSID classId{};
    if (FAILED(CLSIDFromString(classIdText, &classId))) return static_cast<int>(E_INVALIDARG);
    const IID iid = std::wstring(interfaceName) == L"IDeskBand" ? IID_IDeskBand : IID_IContextMenu;
    kest::ComInitialization com;
    ComPtr<IUnknown> object;
    const HRESULT result = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, iid, object.putVoid());
    if (FAILED(result)) return static_cast<int>(result);
    if (!object) return static_cast<int>(E_POINTER);
    // The object's interface table lies in the library that made it.
    HMODULE module = nullptr;
    wchar_t modulePath[MAX_PATH] = L"";
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            *reinterpret_cast<LPCWSTR*>(object.get()), &module) ||
        !GetModuleFileNameW(module, modulePath, MAX_PATH) || !sameText(modulePath, library))
        return static_cast<int>(WrongModuleExitCode);
    return 0;
}

std::wstring shortcutTarget(const std::wstring& link) {
    kest::ComInitialization com;
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                shellLink.putVoid())))
        return std::wstring();
    ComPtr<IPersistFile> file = shellLink.query<IPersistFile>();
    wchar_t target[MAX_PATH] = L"";
    if (!file || FAILED(file->Load(link.c_str(), STGM_READ)) ||
        FAILED(shellLink->GetPath(target, MAX_PATH, nullptr, 0)))
        return std::wstring();
    return target;
}

// The settings and files a user has before the uninstall: all of it must be there afterwards.
void seedUserSettings() {
    setDword(SettingsKey, L"doSubstringMatching", 2);
    setString(std::wstring(SettingsKey) + L"\\scanpaths", L"C:\\Tools", L"");
    setString(std::wstring(SettingsKey) + L"\\KESTSHX", L"Application For Command Window", L"cmd.exe /k");
    setString(L"Software\\Brindlewood\\Elsewhere", L"kept", L"yes");
}

void expectUserSettingsKept() {
    EXPECT_EQ(std::optional<DWORD>(2), dwordValue(HKEY_CURRENT_USER, SettingsKey, L"doSubstringMatching"));
    EXPECT_EQ(std::optional<std::wstring>(L""),
              stringValue(HKEY_CURRENT_USER, std::wstring(SettingsKey) + L"\\scanpaths", L"C:\\Tools"));
    EXPECT_EQ(std::optional<std::wstring>(L"cmd.exe /k"),
              stringValue(HKEY_CURRENT_USER, std::wstring(SettingsKey) + L"\\KESTSHX",
                          L"Application For Command Window"));
}

void writeUserFile(const std::wstring& path) {
    kest::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    const char content[] = "<?xml version=\"1.0\"?>\n<root/>\n";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), content, sizeof(content) - 1, &written, nullptr));
}

bool nothingRegistered() {
    return !keyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + BandClassId) &&
           !keyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + HandlerClassId) &&
           !keyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + HandlerClassId, KEY_WOW64_32KEY) &&
           !keyExists(HKEY_LOCAL_MACHINE, UninstallKey);
}

// ---------------------------------------------------------------------------------------------
// After a silent install into the default folder.

class SilentInstall : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        startedClean = nothingRegistered();
        outcome = install();
        folder = defaultInstallFolder();
    }
    static void TearDownTestSuite() { uninstall(folder); }

    static std::wstring installed(const wchar_t* name) { return folder + L"\\" + name; }

    static inline bool startedClean = false;
    static inline RunOutcome outcome;
    static inline std::wstring folder;
};

TEST_F(SilentInstall, SucceedsAndRegistersThroughTheNativeRegsvr32) {
    EXPECT_TRUE(startedClean);
    EXPECT_EQ(setupIs64Bit() ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386, peMachine(setupProgram()));
    ASSERT_TRUE(outcome.started);
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(everyProgramSucceeded(outcome)) << describe(outcome);
    // One registration per library, by the 64-bit regsvr32 (not the one in SysWOW64).
    EXPECT_EQ(2u, runsOf(outcome, nativeRegsvr32())) << describe(outcome);
}

// The x86 handler is registered without a 32-bit program, so that machines which run only
// 64-bit code can install it.
TEST_F(SilentInstall, The64BitSetupRunsNo32BitProgram) {
    if (!setupIs64Bit()) GTEST_SKIP() << "the 32-bit setup program is itself a 32-bit program";
    ASSERT_TRUE(outcome.ended);
    size_t followed = 0;
    for (const std::wstring& program : outcome.programs) {
        if (program.empty()) continue;
        ++followed;
        EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, peMachine(program)) << narrow(program);
    }
    EXPECT_GE(followed, 3u) << describe(outcome);
}

TEST_F(SilentInstall, DefaultFolderIsTheNativeProgramFilesFolder) {
    EXPECT_TRUE(sameText(folderPath(CSIDL_PROGRAM_FILES) + L"\\Kestrune", folder));
    EXPECT_TRUE(folderExists(folder));
    EXPECT_FALSE(folderExists(folderPath(CSIDL_PROGRAM_FILESX86) + L"\\Kestrune"));
}

TEST_F(SilentInstall, FolderHoldsTheX64DeliverablesAndTheUninstaller) {
    for (const wchar_t* name : ProgramFiles) {
        SCOPED_TRACE(testing::Message() << "file " << std::string(name, name + wcslen(name)));
        ASSERT_TRUE(fileExists(installed(name)));
        const std::vector<char> packed = fileBytes(packedFile(name));
        ASSERT_FALSE(packed.empty());
        EXPECT_TRUE(fileBytes(installed(name)) == packed);
    }
    EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, peMachine(installed(L"kestbar.dll")));
    EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, peMachine(installed(L"kestshx.dll")));
    EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, peMachine(installed(L"kestconf.exe")));
    EXPECT_TRUE(fileExists(installed(L"uninstall.exe")));
}

TEST_F(SilentInstall, CreatesTheUserDataFolder) { EXPECT_TRUE(folderExists(userDataFolder())); }

TEST_F(SilentInstall, RegistersTheBandClassInThe64BitView) {
    const std::wstring classKey = std::wstring(L"CLSID\\") + BandClassId;
    EXPECT_EQ(std::optional<std::wstring>(L"Kestrune"), stringValue(HKEY_CLASSES_ROOT, classKey, nullptr));
    const auto server = stringValue(HKEY_CLASSES_ROOT, classKey + L"\\InProcServer32", nullptr);
    ASSERT_TRUE(server);
    EXPECT_TRUE(sameText(installed(L"kestbar.dll"), *server));
    EXPECT_EQ(std::optional<std::wstring>(L"Apartment"),
              stringValue(HKEY_CLASSES_ROOT, classKey + L"\\InProcServer32", L"ThreadingModel"));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, classKey + L"\\Implemented Categories\\" + DeskBandCategory));
    // The 32-bit build is not registered: 32-bit processes see no band.
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey, KEY_WOW64_32KEY));
}

TEST_F(SilentInstall, RegistersTheContextMenuHandlerForFilesAndFolders) {
    const std::wstring classKey = std::wstring(L"CLSID\\") + HandlerClassId;
    EXPECT_EQ(std::optional<std::wstring>(L"KESTSHX"), stringValue(HKEY_CLASSES_ROOT, classKey, nullptr));
    const auto server = stringValue(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr);
    ASSERT_TRUE(server);
    EXPECT_TRUE(sameText(installed(L"kestshx.dll"), *server));
    EXPECT_EQ(std::optional<std::wstring>(L"KESTSHX"),
              stringValue(HKEY_CLASSES_ROOT, std::wstring(L"*\\shellex\\ContextMenuHandlers\\") + HandlerClassId,
                          nullptr));
    EXPECT_EQ(std::optional<std::wstring>(L"KESTSHX"),
              stringValue(HKEY_CLASSES_ROOT, std::wstring(L"Folder\\shellex\\ContextMenuHandlers\\") + HandlerClassId,
                          nullptr));
}

TEST_F(SilentInstall, The64BitSetupAloneAddsThe32BitHandlerInAFolderOfItsOwn) {
    const std::wstring classKey = std::wstring(L"CLSID\\") + HandlerClassId;
    if (!setupIs64Bit()) {
        EXPECT_FALSE(folderExists(installed(L"x86")));
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey, KEY_WOW64_32KEY));
        return;
    }
    ASSERT_TRUE(fileExists(installed(X86HandlerFile)));
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, peMachine(installed(X86HandlerFile)));
    const std::vector<char> packed = fileBytes(packedX86File(L"kestshx.dll"));
    ASSERT_FALSE(packed.empty());
    EXPECT_TRUE(fileBytes(installed(X86HandlerFile)) == packed);
}

TEST_F(SilentInstall, The64BitSetupRegistersThe32BitHandlerInThe32BitView) {
    if (!setupIs64Bit()) GTEST_SKIP() << "the 32-bit setup program installs no x86 handler on 64-bit Windows";
    for (const RegistryString& step : handlerRegistration(installed(X86HandlerFile))) {
        SCOPED_TRACE(narrow(step.key) + " " + (step.name ? narrow(step.name) : "@"));
        EXPECT_EQ(std::optional<std::wstring>(step.data), stringValue(step.root, step.key, step.name, KEY_WOW64_32KEY));
    }
    // The class of the 64-bit view still names the x64 library: the views are apart.
    const auto nativeServer = stringValue(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + HandlerClassId +
                                                                 L"\\InprocServer32", nullptr, KEY_WOW64_64KEY);
    ASSERT_TRUE(nativeServer);
    EXPECT_TRUE(sameText(installed(L"kestshx.dll"), *nativeServer));
}

// The 64-bit view holds what the x64 library's own DllRegisterServer wrote; the 32-bit view
// must hold the same, the library's path aside.
TEST_F(SilentInstall, The32BitViewHoldsWhatTheHandlersOwnRegistrationWrites) {
    if (!setupIs64Bit()) GTEST_SKIP() << "the 32-bit setup program installs no x86 handler on 64-bit Windows";
    const std::wstring classKey = std::wstring(L"CLSID\\") + HandlerClassId;
    const auto native = keyValues(HKEY_CLASSES_ROOT, classKey, KEY_WOW64_64KEY, installed(L"kestshx.dll"));
    EXPECT_EQ(4u, native.size());
    EXPECT_EQ(native, keyValues(HKEY_CLASSES_ROOT, classKey, KEY_WOW64_32KEY, installed(X86HandlerFile)));
    for (const RegistryString& step : handlerRegistration(L"")) {
        if (step.key.rfind(L"CLSID\\", 0) == 0) continue;
        SCOPED_TRACE(narrow(step.key));
        const auto nativeValue = stringValue(step.root, step.key, step.name, KEY_WOW64_64KEY);
        ASSERT_TRUE(nativeValue);
        EXPECT_EQ(nativeValue, stringValue(step.root, step.key, step.name, KEY_WOW64_32KEY));
    }
}

TEST_F(SilentInstall, ApprovesBothExtensions) {
    EXPECT_EQ(std::optional<std::wstring>(L"Kestrune"), stringValue(HKEY_LOCAL_MACHINE, ApprovedKey, BandClassId));
    EXPECT_EQ(std::optional<std::wstring>(L"KESTSHX"), stringValue(HKEY_LOCAL_MACHINE, ApprovedKey, HandlerClassId));
}

TEST_F(SilentInstall, BandIsCreatableFromTheInstalledLibrary) {
    EXPECT_EQ(0u, createInChildProcess(BandClassId, L"IDeskBand", installed(L"kestbar.dll")));
}

TEST_F(SilentInstall, ContextMenuHandlerIsCreatableFromTheInstalledLibrary) {
    EXPECT_EQ(0u, createInChildProcess(HandlerClassId, L"IContextMenu", installed(L"kestshx.dll")));
}

TEST_F(SilentInstall, StartMenuShortcutsOpenTheInstalledFiles) {
    for (const auto& shortcut : Shortcuts) {
        const std::wstring link = shortcutFolder() + L"\\" + shortcut[0];
        ASSERT_TRUE(fileExists(link));
        EXPECT_TRUE(sameText(installed(shortcut[1]), shortcutTarget(link)));
    }
}

TEST_F(SilentInstall, AddsTheUninstallEntry) {
    EXPECT_EQ(std::optional<std::wstring>(L"Kestrune"), stringValue(HKEY_LOCAL_MACHINE, UninstallKey, L"DisplayName"));
    const auto location = stringValue(HKEY_LOCAL_MACHINE, UninstallKey, L"InstallLocation");
    ASSERT_TRUE(location);
    EXPECT_TRUE(sameText(folder, *location));
    EXPECT_EQ(std::optional<std::wstring>(L"\"" + installed(L"uninstall.exe") + L"\""),
              stringValue(HKEY_LOCAL_MACHINE, UninstallKey, L"UninstallString"));
    EXPECT_EQ(std::optional<std::wstring>(L"\"" + installed(L"uninstall.exe") + L"\" /S"),
              stringValue(HKEY_LOCAL_MACHINE, UninstallKey, L"QuietUninstallString"));
    // The 32-bit setup program writes it where 64-bit Windows lists its programs.
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, UninstallKey, KEY_WOW64_32KEY));
}

// The build number Windows reports, without the compatibility shims of GetVersionEx.
DWORD windowsBuild() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<GetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{sizeof(info)};
    return getVersion && getVersion(&info) == 0 ? info.dwBuildNumber : 0;
}

TEST_F(SilentInstall, StartsTheFloatingBarWithWindowsByDefaultOnlyFromWindows11) {
    const DWORD build = windowsBuild();
    ASSERT_GT(build, 0u);
    const auto run = stringValue(HKEY_CURRENT_USER, RunKey, RunValue);
    if (build >= 22000) {
        ASSERT_TRUE(run);
        EXPECT_EQ(L"\"" + installed(L"kestfloat.exe") + L"\"", *run);
    } else {
        EXPECT_FALSE(run) << "build " << build;
    }
    EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, peMachine(installed(L"kestfloat.exe")));
}

// ---------------------------------------------------------------------------------------------
// After a silent install into a chosen folder and a silent uninstall.

class SilentUninstall : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        startedClean = nothingRegistered();
        seedUserSettings();
        folder = L"C:\\Kest Test\\Kestrune";
        const RunOutcome installed = install(folder, L"/AUTOSTART");
        runValueAfterInstall = stringValue(HKEY_CURRENT_USER, RunKey, RunValue).value_or(L"");
        installSucceeded = installed.ended && installed.exitCode == 0;
        installedInChosenFolder = fileExists(folder + L"\\kestbar.dll") &&
                                  !folderExists(defaultInstallFolder());
        bandCreatableBefore = createInChildProcess(BandClassId, L"IDeskBand", folder + L"\\kestbar.dll") == 0;
        x86HandlerBefore = fileExists(folder + L"\\" + X86HandlerFile) &&
                           keyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + HandlerClassId, KEY_WOW64_32KEY);
        userFile = userDataFolder() + L"\\historymapdata.xml";
        writeUserFile(userFile);
        outcome = uninstall(folder);
    }

    static inline bool x86HandlerBefore = false;

    static inline bool startedClean = false;
    static inline bool installSucceeded = false;
    static inline bool installedInChosenFolder = false;
    static inline bool bandCreatableBefore = false;
    static inline std::wstring runValueAfterInstall;
    static inline std::wstring folder;
    static inline std::wstring userFile;
    static inline RunOutcome outcome;
};

TEST_F(SilentUninstall, RunsToTheEndOfTheHandedOverCopy) {
    EXPECT_TRUE(startedClean);
    ASSERT_TRUE(installSucceeded);
    EXPECT_TRUE(installedInChosenFolder);
    EXPECT_TRUE(bandCreatableBefore);
    ASSERT_TRUE(outcome.started);
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(everyProgramSucceeded(outcome)) << describe(outcome);
    // The uninstaller, the copy of itself it hands over to, and one unregistration per library.
    EXPECT_EQ(1u, runsOf(outcome, folder + L"\\uninstall.exe")) << describe(outcome);
    EXPECT_GE(outcome.programs.size(), 4u) << describe(outcome);
    EXPECT_EQ(2u, runsOf(outcome, nativeRegsvr32())) << describe(outcome);
}

TEST_F(SilentUninstall, RemovesTheFilesAndTheFolder) {
    for (const wchar_t* name : ProgramFiles) EXPECT_FALSE(fileExists(folder + L"\\" + name));
    EXPECT_FALSE(fileExists(folder + L"\\uninstall.exe"));
    EXPECT_FALSE(folderExists(folder));
}

TEST_F(SilentUninstall, RemovesTheClassKeysAndTheHandlerKeys) {
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + BandClassId));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + HandlerClassId));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, std::wstring(L"*\\shellex\\ContextMenuHandlers\\") + HandlerClassId));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, std::wstring(L"Folder\\shellex\\ContextMenuHandlers\\") + HandlerClassId));
}

TEST_F(SilentUninstall, RemovesThe32BitHandlerItsFolderAndItsKeys) {
    EXPECT_EQ(setupIs64Bit(), x86HandlerBefore);
    EXPECT_FALSE(fileExists(folder + L"\\" + X86HandlerFile));
    EXPECT_FALSE(folderExists(folder + L"\\x86"));
    for (const RegistryString& step : handlerRegistration(folder + L"\\" + X86HandlerFile)) {
        SCOPED_TRACE(narrow(step.key));
        if (step.root == HKEY_LOCAL_MACHINE) {
            EXPECT_FALSE(stringValue(step.root, step.key, step.name, KEY_WOW64_32KEY));
        } else {
            EXPECT_FALSE(keyExists(step.root, step.key, KEY_WOW64_32KEY));
        }
    }
}

TEST_F(SilentUninstall, RemovesTheApprovedValues) {
    EXPECT_FALSE(stringValue(HKEY_LOCAL_MACHINE, ApprovedKey, BandClassId));
    EXPECT_FALSE(stringValue(HKEY_LOCAL_MACHINE, ApprovedKey, HandlerClassId));
}

TEST_F(SilentUninstall, BandIsNoLongerCreatable) {
    EXPECT_EQ(static_cast<DWORD>(REGDB_E_CLASSNOTREG),
              createInChildProcess(BandClassId, L"IDeskBand", folder + L"\\kestbar.dll"));
}

TEST_F(SilentUninstall, RemovesTheShortcutsAndTheUninstallEntry) {
    for (const auto& shortcut : Shortcuts) EXPECT_FALSE(fileExists(shortcutFolder() + L"\\" + shortcut[0]));
    EXPECT_FALSE(folderExists(shortcutFolder()));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, UninstallKey));
}

TEST_F(SilentUninstall, RemovesTheFloatingBarsStartWithWindows) {
    EXPECT_EQ(L"\"" + folder + L"\\kestfloat.exe\"", runValueAfterInstall) << "chosen with /AUTOSTART";
    EXPECT_FALSE(stringValue(HKEY_CURRENT_USER, RunKey, RunValue));
}

TEST_F(SilentUninstall, LeavesTheUserSettingsUntouched) { expectUserSettingsKept(); }

TEST_F(SilentUninstall, LeavesTheUserFiles) {
    EXPECT_TRUE(folderExists(userDataFolder()));
    EXPECT_TRUE(fileExists(userFile));
}

// ---------------------------------------------------------------------------------------------
// A silent uninstall asked to remove the user's settings and files as well.

class SilentUninstallRemovingUserData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        startedClean = nothingRegistered();
        seedUserSettings();
        folder = defaultInstallFolder();
        const RunOutcome installed = install();
        installSucceeded = installed.ended && installed.exitCode == 0;
        writeUserFile(userDataFolder() + L"\\mapdata.xml");
        outcome = uninstall(folder, L"/REMOVEUSERDATA");
    }

    static inline bool startedClean = false;
    static inline bool installSucceeded = false;
    static inline std::wstring folder;
    static inline RunOutcome outcome;
};

TEST_F(SilentUninstallRemovingUserData, RemovesTheProgramAsUsual) {
    EXPECT_TRUE(startedClean);
    ASSERT_TRUE(installSucceeded);
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(everyProgramSucceeded(outcome)) << describe(outcome);
    EXPECT_FALSE(folderExists(folder));
    EXPECT_TRUE(nothingRegistered());
}

TEST_F(SilentUninstallRemovingUserData, RemovesTheSettingsKeyOnly) {
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, SettingsKey));
    EXPECT_EQ(std::optional<std::wstring>(L"yes"),
              stringValue(HKEY_CURRENT_USER, L"Software\\Brindlewood\\Elsewhere", L"kept"));
}

TEST_F(SilentUninstallRemovingUserData, RemovesTheUserDataFolder) {
    EXPECT_FALSE(folderExists(userDataFolder()));
}

// ---------------------------------------------------------------------------------------------
// A second silent install without a folder: an update of the installed version.

class SilentUpdate : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        startedClean = nothingRegistered();
        folder = L"C:\\Kest Update\\Kestrune";
        first = install(folder);
        update = install();
        bandServer = stringValue(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + BandClassId + L"\\InProcServer32",
                                 nullptr)
                         .value_or(L"");
        filesAfterUpdate = true;
        for (const wchar_t* name : ProgramFiles) filesAfterUpdate = filesAfterUpdate && fileExists(folder + L"\\" + name);
        if (setupIs64Bit()) filesAfterUpdate = filesAfterUpdate && fileExists(folder + L"\\" + X86HandlerFile);
        defaultFolderUsed = folderExists(defaultInstallFolder());
        removal = uninstall(folder);
    }

    static inline bool startedClean = false;
    static inline std::wstring folder;
    static inline RunOutcome first, update, removal;
    static inline std::wstring bandServer;
    static inline bool filesAfterUpdate = false;
    static inline bool defaultFolderUsed = true;
};

TEST_F(SilentUpdate, GoesIntoTheInstalledFolder) {
    EXPECT_TRUE(startedClean);
    ASSERT_TRUE(first.ended && update.ended);
    EXPECT_TRUE(everyProgramSucceeded(first)) << describe(first);
    EXPECT_TRUE(everyProgramSucceeded(update)) << describe(update);
    EXPECT_TRUE(filesAfterUpdate);
    EXPECT_FALSE(defaultFolderUsed);
    EXPECT_TRUE(sameText(folder + L"\\kestbar.dll", bandServer));
}

TEST_F(SilentUpdate, LeavesOneInstallationToRemove) {
    ASSERT_TRUE(removal.ended);
    EXPECT_TRUE(everyProgramSucceeded(removal)) << describe(removal);
    EXPECT_FALSE(folderExists(folder));
    EXPECT_TRUE(nothingRegistered());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wstring(argv[1]) == L"--create-object") return createObject(argv[2], argv[3], argv[4]);
    // Wine starts its desktop process for the first program that asks for the desktop window:
    // this one, so that the process does not join the job of a setup program being awaited.
    GetDesktopWindow();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
