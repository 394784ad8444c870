#pragma once
// Reading one shortcut file: what a ".lnk" shell link launches and what a ".url" Internet
// shortcut addresses.
#include "ShortcutEntry.h"
#include "WindowsInstaller.h"
#include <windows.h>
#include <shlobj.h>
#include <memory>
#include <string>

namespace kest {

// Whether a link's target exists: the file system's answer, or a stand-in in the tests. On
// an offline server or a disconnected mapped drive the answer can take 20 s or more.
class TargetCheck {
public:
    virtual ~TargetCheck() = default;
    // path is not empty and fits MAX_PATH.
    virtual bool exists(const wchar_t* path) = 0;
};

// The check the scans use: the file system's, unless another was put in its place.
std::shared_ptr<TargetCheck> currentTargetCheck();
void replaceTargetCheck(std::shared_ptr<TargetCheck> check);

// path as the file functions take it: paths of MAX_PATH characters or more get the
// "\\?\" (or "\\?\UNC\") prefix, so that no call truncates or refuses them.
std::wstring extendedLengthPath(const std::wstring& path);

// The target of the link loaded into persistFile (whose object is also an IShellLinkW)
// into buffer (size characters): the installed path of an advertised shortcut, or the
// link's stored path, expanded when it begins with "%". True when a target was found,
// fits into buffer and exists. Resolve runs only when the link stores no path, without any
// user interface and for at most a second, so no dialog can block the scan.
bool ResolveLinkTarget(IPersistFile* persistFile, const wchar_t* linkPath, wchar_t* buffer, size_t size,
                       const WindowsInstaller& installer, HWND owner);

// Loads the link at path into shellLink and fills executable and, when the target
// resolves, arguments, showcmd, workingdir, iconlocation and iconindex.
void ReadLinkFile(const std::wstring& path, ShortcutEntry& entry, IShellLinkW* shellLink,
                  const WindowsInstaller& installer, HWND owner);

// Fills executable with the address stored in the Internet shortcut at path; leaves it
// empty when none can be read. Tries the steps below in this order.
void ReadUrlFile(const std::wstring& path, ShortcutEntry& entry, IShellFolder* desktopFolder, HWND owner);

// The steps of ReadUrlFile, each giving the same address on Windows. 1: the shell's
// storage of the parsed item, property set FMTID_Intshcut, PID_IS_URL.
bool readUrlFromShellStorage(const std::wstring& path, IShellFolder* desktopFolder, HWND owner, std::wstring& url);
// 2: the same property of the InternetShortcut object that loaded the file.
bool readUrlFromShortcutProperties(const std::wstring& path, std::wstring& url);
// 3: IUniformResourceLocatorW::GetURL of the InternetShortcut object that loaded the file.
bool readUrlFromShortcutObject(const std::wstring& path, std::wstring& url);

}  // namespace kest
