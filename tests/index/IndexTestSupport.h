#pragma once
// Real folders, shortcut files and index files for the index tests.
#include "ComPtr.h"
#include "kestentry/ShortcutEntry.h"
#include <windows.h>
#include <shlobj.h>
#include <string>

namespace kest::test {

// A fresh folder under the temporary folder, removed with all its content at the end.
class TemporaryFolder {
public:
    TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

struct LinkFields {
    std::wstring target;
    std::wstring arguments;
    std::wstring workingdir;
    std::wstring iconlocation;
    int iconindex = 0;
    int showcmd = SW_SHOWNORMAL;
};

// Creates every missing folder of path (which may be longer than MAX_PATH).
void createFolders(const std::wstring& path);
// Writes a ".lnk" file through IShellLinkW and IPersistFile; false on any failure.
bool writeLink(const std::wstring& path, const LinkFields& fields);
// Writes an Internet shortcut file holding url.
bool writeUrlFile(const std::wstring& path, const std::wstring& url);
bool writeBytes(const std::wstring& path, const std::string& bytes);
std::string readBytes(const std::wstring& path);
bool fileExists(const std::wstring& path);
std::wstring systemFolder();
// GetShortPathNameW of path, or path itself.
std::wstring shortPath(const std::wstring& path);
bool runningOnWine();
std::string utf8(const std::wstring& text);

}  // namespace kest::test
