// kestdemo: the demo's hands inside Wine.
//   kestdemo startmenu     fills the user's Start Menu with shortcuts named like everyday
//                          programs, each to a program file of its own
//   kestdemo searchbox     prints the screen position of the centre of the floating bar's
//                          search box as "x y" (exit code 1 when the bar shows none)
//   kestdemo exitfloatbar  asks the floating bar to exit, as the uninstaller does, and waits
//                          until it has (exit code 1 when it is still running)
#include "ComPtr.h"
#include "FloatBarIdentity.h"
#include "UniqueHandle.h"
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <cstdio>
#include <string>

namespace {

using namespace kest;

struct DemoProgram {
    const wchar_t* folder;    // under the Start Menu's Programs folder; empty: at its top
    const wchar_t* name;      // the shortcut's name
    const wchar_t* program;   // the program file, under Program Files
};

constexpr DemoProgram DemoPrograms[] = {
    {L"", L"Mozilla Firefox", L"Mozilla Firefox\\firefox.exe"},
    {L"", L"Google Chrome", L"Google\\Chrome\\Application\\chrome.exe"},
    {L"", L"Microsoft Edge", L"Microsoft\\Edge\\Application\\msedge.exe"},
    {L"", L"Thunderbird", L"Mozilla Thunderbird\\thunderbird.exe"},
    {L"", L"VLC media player", L"VideoLAN\\VLC\\vlc.exe"},
    {L"", L"Spotify", L"Spotify\\Spotify.exe"},
    {L"", L"Zoom", L"Zoom\\bin\\Zoom.exe"},
    {L"", L"Slack", L"Slack\\slack.exe"},
    {L"", L"Visual Studio Code", L"Microsoft VS Code\\Code.exe"},
    {L"", L"Notepad++", L"Notepad++\\notepad++.exe"},
    {L"", L"GIMP 2", L"GIMP 2\\bin\\gimp-2.10.exe"},
    {L"", L"Inkscape", L"Inkscape\\bin\\inkscape.exe"},
    {L"", L"Audacity", L"Audacity\\Audacity.exe"},
    {L"", L"Steam", L"Steam\\steam.exe"},
    {L"", L"Discord", L"Discord\\Discord.exe"},
    {L"", L"KeePass", L"KeePass Password Safe 2\\KeePass.exe"},
    {L"", L"Paint.NET", L"paint.net\\paintdotnet.exe"},
    {L"", L"Skype", L"Skype\\Skype.exe"},
    {L"", L"Word", L"Microsoft Office\\root\\Office16\\WINWORD.EXE"},
    {L"", L"Excel", L"Microsoft Office\\root\\Office16\\EXCEL.EXE"},
    {L"", L"PowerPoint", L"Microsoft Office\\root\\Office16\\POWERPNT.EXE"},
    {L"", L"Outlook", L"Microsoft Office\\root\\Office16\\OUTLOOK.EXE"},
    {L"", L"OneNote", L"Microsoft Office\\root\\Office16\\ONENOTE.EXE"},
    {L"", L"Acrobat Reader", L"Adobe\\Acrobat DC\\Acrobat\\Acrobat.exe"},
    {L"7-Zip", L"7-Zip File Manager", L"7-Zip\\7zFM.exe"},
    {L"7-Zip", L"7-Zip Help", L"7-Zip\\7-zip.chm"},
    {L"LibreOffice", L"LibreOffice Writer", L"LibreOffice\\program\\swriter.exe"},
    {L"LibreOffice", L"LibreOffice Calc", L"LibreOffice\\program\\scalc.exe"},
    {L"LibreOffice", L"LibreOffice Impress", L"LibreOffice\\program\\simpress.exe"},
    {L"Accessories", L"Notepad", L"Windows NT\\Accessories\\notepad.exe"},
    {L"Accessories", L"Paint", L"Windows NT\\Accessories\\mspaint.exe"},
    {L"Accessories", L"Snipping Tool", L"Windows NT\\Accessories\\SnippingTool.exe"},
    {L"Accessories", L"Remote Desktop Connection", L"Windows NT\\Accessories\\mstsc.exe"},
    {L"Accessories", L"WordPad", L"Windows NT\\Accessories\\wordpad.exe"},
    {L"Git", L"Git Bash", L"Git\\git-bash.exe"},
    {L"Git", L"Git GUI", L"Git\\cmd\\git-gui.exe"},
    {L"Python 3.12", L"Python 3.12", L"Python312\\python.exe"},
    {L"Python 3.12", L"IDLE (Python 3.12)", L"Python312\\pythonw.exe"},
};

std::wstring folderPath(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    return path;
}

// Each program file is a copy of Notepad, so that it exists, starts and has an icon.
bool createProgramFile(const std::wstring& path) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    if (SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) != ERROR_SUCCESS &&
        GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    return CopyFileW((folderPath(CSIDL_WINDOWS) + L"\\notepad.exe").c_str(), path.c_str(), FALSE) != FALSE;
}

bool createShortcut(const std::wstring& link, const std::wstring& target) {
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.putVoid())))
        return false;
    ComPtr<IPersistFile> file = shellLink.query<IPersistFile>();
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\'));
    return file && SUCCEEDED(shellLink->SetPath(target.c_str())) &&
           SUCCEEDED(shellLink->SetWorkingDirectory(folder.c_str())) && SUCCEEDED(file->Save(link.c_str(), TRUE));
}

int fillStartMenu() {
    ComInitialization com;
    const std::wstring programs = folderPath(CSIDL_PROGRAMS);
    const std::wstring programFiles = folderPath(CSIDL_PROGRAM_FILES);
    if (FAILED(com.result()) || programs.empty() || programFiles.empty()) return 1;
    int made = 0;
    for (const DemoProgram& demo : DemoPrograms) {
        const std::wstring target = programFiles + L"\\" + demo.program;
        std::wstring folder = programs;
        if (*demo.folder) folder += std::wstring(L"\\") + demo.folder;
        SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        if (createProgramFile(target) && createShortcut(folder + L"\\" + demo.name + L".lnk", target)) ++made;
    }
    std::printf("kestdemo: %d shortcuts in %ls\n", made, programs.c_str());
    return made == static_cast<int>(sizeof(DemoPrograms) / sizeof(DemoPrograms[0])) ? 0 : 1;
}

BOOL CALLBACK findVisibleComboBox(HWND window, LPARAM found) {
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    if (_wcsicmp(name, L"ComboBox") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

int printSearchBoxCentre() {
    HWND bar = FindWindowW(FloatBarWindowClass, nullptr);
    HWND box = nullptr;
    if (bar) EnumChildWindows(bar, findVisibleComboBox, reinterpret_cast<LPARAM>(&box));
    RECT rect{};
    if (!box || !GetWindowRect(box, &rect)) return 1;
    std::printf("%ld %ld\n", (rect.left + rect.right) / 2L, (rect.top + rect.bottom) / 2L);
    return 0;
}

int exitFloatBar() {
    HWND bar = FindWindowW(FloatBarWindowClass, nullptr);
    if (!bar) return 0;
    DWORD processId = 0;
    GetWindowThreadProcessId(bar, &processId);
    UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    PostMessageW(bar, WM_COMMAND, ExitCommandId, 0);
    return process && WaitForSingleObject(process.get(), 15000) == WAIT_OBJECT_0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc == 2 ? argv[1] : L"";
    if (command == L"startmenu") return fillStartMenu();
    if (command == L"searchbox") return printSearchBoxCentre();
    if (command == L"exitfloatbar") return exitFloatBar();
    std::fprintf(stderr, "usage: kestdemo startmenu | searchbox | exitfloatbar\n");
    return 2;
}
