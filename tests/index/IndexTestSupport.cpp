#include "IndexTestSupport.h"
#include "FileBytes.h"
#include "kestentry/ShortcutFiles.h"
#include <shellapi.h>
#include <atomic>
#include <vector>

namespace kest::test {

namespace {
void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    HANDLE find = FindFirstFileW(extendedLengthPath(folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring item = folder + L"\\" + name;
            const std::wstring extended = extendedLengthPath(item);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                removeTree(item);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(extended.c_str());
            else {
                SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(extended.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(extendedLengthPath(folder).c_str());
}
}  // namespace

TemporaryFolder::TemporaryFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"kestindex-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    if (path_.back() == L'\\') path_.pop_back();
    removeTree(path_);
    createFolders(path_);
}

TemporaryFolder::~TemporaryFolder() { removeTree(path_); }

void createFolders(const std::wstring& path) {
    for (size_t position = path.find(L'\\', 3); ; position = path.find(L'\\', position + 1)) {
        const std::wstring part = position == std::wstring::npos ? path : path.substr(0, position);
        CreateDirectoryW(extendedLengthPath(part).c_str(), nullptr);
        if (position == std::wstring::npos) break;
    }
}

bool writeLink(const std::wstring& path, const LinkFields& fields) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid())))
        return false;
    if (FAILED(link->SetPath(fields.target.c_str()))) return false;
    if (!fields.arguments.empty() && FAILED(link->SetArguments(fields.arguments.c_str()))) return false;
    if (!fields.workingdir.empty() && FAILED(link->SetWorkingDirectory(fields.workingdir.c_str()))) return false;
    if (!fields.iconlocation.empty() && FAILED(link->SetIconLocation(fields.iconlocation.c_str(), fields.iconindex)))
        return false;
    if (FAILED(link->SetShowCmd(fields.showcmd))) return false;
    ComPtr<IPersistFile> file = link.query<IPersistFile>();
    return file && SUCCEEDED(file->Save(extendedLengthPath(path).c_str(), TRUE));
}

bool writeUrlFile(const std::wstring& path, const std::wstring& url) {
    return writeBytes(path, "[InternetShortcut]\r\nURL=" + utf8(url) + "\r\n");
}

bool writeBytes(const std::wstring& path, const std::string& bytes) {
    return kesttest::writeFileBytes(extendedLengthPath(path), bytes);
}

std::string readBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(extendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(extendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring systemFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

std::wstring shortPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer) : path;
}

bool runningOnWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

}  // namespace kest::test
