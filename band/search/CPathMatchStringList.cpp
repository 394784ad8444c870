#include "CPathMatchStringList.h"
#include "SearchBarSettings.h"
#include "TextRules.h"
#include "UniqueHandle.h"
#include <shlwapi.h>

namespace kest {

namespace {

bool isDirectory(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring withBackslash(const std::wstring& path) {
    return (!path.empty() && path.back() == L'\\') ? path : path + L'\\';
}

}  // namespace

std::wstring removeLastPathComponent(const std::wstring& path) {
    wchar_t buffer[MAX_PATH] = {};
    path.copy(buffer, MAX_PATH - 1);
    PathRemoveFileSpecW(buffer);
    return buffer;
}

void CPathMatchStringList::FillForPath(const std::wstring& text) {
    enabled_ = readIncludeFolderItems();
    items_.clear();
    std::wstring folder = text.substr(0, 259);
    const bool typedFolder = isDirectory(folder);
    if (!typedFolder) folder = removeLastPathComponent(folder);
    if (!isDirectory(folder)) return;
    if (typedFolder) items_.push_back(folder);

    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((withBackslash(folder) + L"*.*").c_str(), &found));
    if (!search) return;
    do {
        if (found.cFileName[0] == L'.' || found.cFileName[0] == L'\0') continue;
        const std::wstring item = withBackslash(folder) + found.cFileName;
        if (equalsIgnoreAsciiCase(leadingCharacters(item, text.size()), text)) items_.push_back(item);
    } while (FindNextFileW(search.get(), &found));
}

}  // namespace kest
